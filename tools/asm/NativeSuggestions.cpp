#include "NativeSuggestions.h"

#include "natives/NativeTable.h"

#include <algorithm>
#include <vector>

namespace {

// Levenshtein distance, case-sensitive like the names themselves.
size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

constexpr size_t MAX_SUGGESTIONS = 3;
// Names are short: longer input is not a slip of the keyboard, and the
// distance table stays small.
constexpr size_t MAX_NAME = 80;

} // namespace

bool namesNativeGroup(std::string_view name)
{
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos)
        return false;
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES)
        if (table.count > 0 && name.substr(0, dot) == table.name)
            return true;
    return false;
}

std::string unknownNativeMessage(std::string_view name)
{
    std::string message = "unknown native '" + std::string(name) + "'";
    if (name.size() > MAX_NAME)
        return message;
    const size_t limit = std::max<size_t>(2, name.size() / 3);
    size_t best = limit + 1;
    std::vector<std::string> nearest;
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES)
        for (int i = 0; i < table.count; ++i) {
            const std::string candidate = std::string(table.name) + "." + std::string(table.functions[i].name);
            const size_t d = editDistance(name, candidate);
            if (d < best) {
                best = d;
                nearest.clear();
            }
            if (d == best && nearest.size() < MAX_SUGGESTIONS)
                nearest.push_back(candidate);
        }
    if (nearest.empty())
        return message;
    message += " (nearest: ";
    for (size_t i = 0; i < nearest.size(); ++i)
        message += (i ? ", " : "") + nearest[i];
    return message + ")";
}
