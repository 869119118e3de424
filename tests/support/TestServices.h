// The real services some tests need: an X server (x11), the message bus
// (dbus), a sound server (pulse) and a GPS daemon (gpsd).
//
// LUMBRA_WITHHOLD names services (separated by commas or spaces) that count
// as missing even when present, so that the path a missing service takes can
// be tried. Under LUMBRA_REQUIRE_SERVICES=1, as in CI, a missing service
// fails the test that needs it; otherwise the test is skipped. Either way one
// line names the service, and LUMBRA_SKIP_LOG, when set, collects the skips
// for the summary at the end of a run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace TestSupport {

inline bool environmentListHas(const char* variable, const std::string& name)
{
    const char* value = std::getenv(variable);
    if (!value)
        return false;
    const std::string list(value);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = list.find_first_of(", |", start);
        if (list.compare(start, (end == std::string::npos ? list.size() : end) - start, name) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

inline bool serviceWithheld(const std::string& service)
{
    return environmentListHas("LUMBRA_WITHHOLD", service);
}

inline bool servicesRequired()
{
    const char* value = std::getenv("LUMBRA_REQUIRE_SERVICES");
    return value && *value && std::strcmp(value, "0") != 0;
}

// Empty when `service` may be used; otherwise the line that says why not.
inline std::string missingService(const std::string& service, bool present, const std::string& why)
{
    if (serviceWithheld(service))
        return "service " + service + " missing: withheld by LUMBRA_WITHHOLD";
    if (!present)
        return "service " + service + " missing: " + why;
    return {};
}

// Adds "test<TAB>reason" to the run's skip log, when there is one. Each
// line is one append, so tests running side by side do not mix their lines.
inline void recordSkip(const std::string& test, const std::string& reason)
{
    const char* path = std::getenv("LUMBRA_SKIP_LOG");
    if (!path || !*path)
        return;
    if (std::FILE* log = std::fopen(path, "a")) {
        const std::string line = test + "\t" + reason + "\n";
        std::fwrite(line.data(), 1, line.size(), log);
        std::fclose(log);
    }
}

} // namespace TestSupport
