// Every combined sequence, placed at the edges of the stack, the budget and
// its own parts, runs once with the combined handlers and once with every
// instruction through its own handler: everything bytecode can observe of
// the machine afterwards must be the same, word for word and step for step.
#include "MachineTestSupport.h"
#include "image/OpcodeTable.h"
#include "machine/FusedInstructions.h"
#include "machine/MachineTestAccess.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

// ---- the matcher's listing: the one place that names its interface.
// The combined instructions the matcher knows, and the one it dispatches on
// at `position` of the loaded code (0: the plain instruction).
struct MatcherListing {
    static std::set<int> known()
    {
        std::set<int> ids;
        for (int id = FUSED_FIRST; id < FUSED_END; ++id)
            ids.insert(id);
        return ids;
    }
    static int at(const Lumbra::MachineTables& tables, int position)
    {
        Vec<TInt64> lowerSlots;
        for (const auto& frame : tables.frameDescriptors)
            lowerSlots.append(TInt64(frame.lowerSlotsA) + frame.lowerSlotsB);
        std::vector<TUint16> dispatch(std::size_t(tables.codeBytes.size()));
        writeDispatchIds(tables.codeBytes.data(), tables.codeBytes.size(), true,
                           {lowerSlots.data(), lowerSlots.size()}, dispatch.data());
        const int id = dispatch.at(std::size_t(position));
        return id >= FUSED_FIRST && id < FUSED_END ? id : 0;
    }
};

constexpr int SOFT = VirtualMachine::STACK_SOFT_LIMIT;
constexpr int HARD = VirtualMachine::STACK_HARD_LIMIT;

// The sequences the machine combines, parts separated by '|'. `{op}` stands
// for each operator of `ops` in turn; the other placeholders are operands the
// harness varies: {k} a pick, {j} a pick from one word higher, {c} a
// constant, {s} a slot address, {n} an adjustment, {a} {b} a return, {i} a
// vector index or element, {t} a jump's target (the label `target`, or a
// distance out of the code), {f} a call's frame (one past the table too).
// `callee` is a label of the program.
struct Pattern {
    const char* parts;
    const char* ops = "";
    int retTop = 0;      // a ret part's top, from the first part's, the adjustment {n} not counted
    bool vector = false; // the two words under the first part: a vector variable's address and {i}
    int elements = 2;    // the vector's, appended one by one (10 fill the first storage)
};

constexpr const char* ARITHMETIC = "add sub mul and or xor";
constexpr const char* COMPARISONS = "eq lt le ne gt ge";

const Pattern PATTERNS[] = {
    {"push {c}|{op}", "add sub mul and or xor eq lt le ne gt ge"},
    {"pick {k}|push {c}|{op}", ARITHMETIC},
    {"pick {k}|{op}", ARITHMETIC},
    {"{op}|jz {t}", COMPARISONS},
    {"push {c}|{op}|jz {t}", COMPARISONS},
    {"dup|push {c}|{op}|jz {t}", COMPARISONS},
    {"pick {k}|push {c}|{op}|jz {t}", COMPARISONS},
    {"pick {k}|push {c}|{op}|jz {t}|ret {a}, {b}", COMPARISONS, 0},
    {"pick {k}|push {c}|{op}|call callee, {f}", "add sub"},
    {"slotaddr {s}|pick -2|store"},
    {"slotaddr {s}|pick -2|store|adjust {n}"},
    {"slotaddr {s}|pick -2|store|adjust {n}|ret {a}, {b}", "", 0},
    {"add|slotaddr {s}|pick -2|store|adjust {n}|ret {a}, {b}", "", -1},
    {"pick {k}|pick {j}"},
    {"dup|pick {j}"},
    {"pick {k}|pick {j}|add"},
    {"dup|pick {j}|add"},
    {"push {c}|add|jmp {t}"},
    {"push {c}|sub|dup|jz {t}"},
    {"push {c}|sub|dup|jz {t}|jmp {t}"},
    {"native 3, 8", "", 0, true},
    {"native 3, 6|load", "", 0, true},
    {"native 3, 19", "", 0, true},
    {"native 3, 19", "", 0, true, 10},
    {"native 3, 8", "", 0, true, 10},
    {"jz {t}"},
    {"jmp {t}"},
    // A combined instruction followed by one that reaches two words above
    // the top: the second may skip the stack check only where the first
    // left the top no higher than it found it.
    {"push {c}|{op}|pick -1|push 1|add", ARITHMETIC},
    {"pick {k}|{op}|pick -1|push 1|add", ARITHMETIC},
    {"dup|push {c}|{op}|jz {t}|pick -1|push 1|add", COMPARISONS},
    {"pick {k}|push {c}|{op}|jz {t}|pick -1|push 1|add", COMPARISONS},
    {"dup|pick {j}|add|pick -1|push 1|add"},
    {"slotaddr {s}|pick -2|store|pick -1|push 1|add"},
    {"slotaddr {s}|pick -2|store|adjust {n}|pick -1|push 1|add"},
    {"push {c}|sub|dup|jz {t}|pick -1|push 1|add"},
};

// Where the pattern starts: its top, and whether it runs while a stack
// overflow is delivered (the hard limit in force).
struct Placement {
    int top;
    bool delivering;
};
const Placement PLACEMENTS[] = {
    {0, false},        {1, false},         {2, false},         {6, false},        {SOFT - 2, false},
    {SOFT - 1, false}, {SOFT, false},      {SOFT + 12, true},  {HARD - 2, true},  {HARD - 1, true},
    {HARD, true},
};

// The vector variable the vector patterns use lives in slots 2 and 3.
constexpr int VECTOR_SLOT = 2;
// Where a delivered overflow's handler starts: the three words of the call.
constexpr int DELIVERY_TOP = SOFT + 4;
// Enough for every program to end on its own, but one that loops.
constexpr TInt64 PLENTY = 1000;
// Just before the first part, to find it in the loaded code: instructions
// that change nothing (the handler count by 0) and that nothing combines with.
constexpr const char* MARKER = "    handlers 0\n    handlers 0\n    handlers 0\n";

std::vector<std::string> split(const std::string& text, char by)
{
    std::vector<std::string> out;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, by);)
        if (!item.empty())
            out.push_back(item);
    return out;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// A value for each word the set-up pushes: comparisons go either way, sums wrap.
TWord filler(int slot)
{
    static const TWord values[] = {3, 0, -1, 1, 7, 3, INT32_MIN, INT32_MAX};
    return values[(slot % 8 + 8) % 8];
}

// The candidates of each placeholder at a top, the first the default; those
// outside a byte operand are dropped.
std::vector<int> candidates(const std::string& name, int top, int returnDistance)
{
    std::vector<int> values;
    if (name == "k")
        values = {-2, -1, -(top + 1), -(top + 2), top + 1, -128, 127};
    else if (name == "j")
        values = {-3, -1, -(top + 2), -(top + 3), 1};
    else if (name == "s")
        values = {-2, -1, -(top + 1), -(top + 2), top + 1, -128};
    else if (name == "n")
        values = {-1, 0, -2, -(top + 3), 1};
    else if (name == "c") // then the word under the top, for an equality
        values = {1, 0, INT32_MIN, filler(top - 1)};
    else if (name == "i") // then past the size and the capacity, and one whose byte offset wraps to 0
        values = {0, 1, 2, -1, 9, 10, INT32_MIN, INT32_MAX, 0x40000000};
    else if (name == "t") // 0: the label
        return {0, 30000};
    else if (name == "f")
        return {0, 1};
    else if (name == "a") // the return address's distance, then faults around it
        return {returnDistance, 0, -1, returnDistance + 1, top + 8};
    else if (name == "b")
        return {returnDistance + 1, 0, returnDistance + 3, INT32_MIN};
    std::vector<int> bytes;
    for (int v : values)
        if ((name == "c" || name == "i" || (v >= -128 && v <= 127)) &&
            std::find(bytes.begin(), bytes.end(), v) == bytes.end())
            bytes.push_back(v);
    return bytes;
}

struct Program {
    std::string source;
    std::string title;
    int stepsBefore = 0; // steps taken before the first part runs
};

// main calls body (the return address in slot 1), which, for a placement
// that is delivering, overflows the stack and continues in the error's
// handler. The set-up brings the top to the placement's with pushed words,
// leaving the words above it as they were; then the pattern, from `entry`.
// A return lands on an invalid byte, as does the fall-through, the jump's
// target and the callee: the run stops with the position reached.
Program program(const Pattern& pattern, const std::string& op, const Placement& at,
                const std::map<std::string, int>& operands, int entry)
{
    Program p;
    std::string& s = p.source;
    s = ".method \"main\" code=main frame=Main\n";
    if (at.delivering)
        s += ".method \"vminternalthrow<int>,<*string>\" code=hook frame=Main\n";
    s += ".frame Main\nmain:\n    call body, Main\nback:\n    .raw 255\nbody:\n";
    int top = 1;
    if (pattern.vector) {
        s += "    push 0\n    push 0\n    slotaddr -2\n    newvec 4\n";
        for (int element = 1; element <= pattern.elements; ++element)
            s += "    slotaddr -2\n    push " + std::to_string(11 * element) + "\n    native 3, 19\n";
        top = 3;
    }
    if (at.delivering) {
        s += "    adjust.w " + std::to_string(SOFT - top) + "\n    push 0\n    nop\nhook:\n";
        top = DELIVERY_TOP;
    }
    const int base = std::max(at.top - 6, std::min(at.top, top));
    if (base != top)
        s += "    adjust.w " + std::to_string(base - top) + "\n";
    for (int slot = base + 1; slot <= at.top; ++slot) {
        if (pattern.vector && slot == at.top - 1)
            s += "    slotaddr.w " + std::to_string(VECTOR_SLOT - slot) + "\n";
        else if (pattern.vector && slot == at.top)
            s += "    push " + std::to_string(operands.at("i")) + "\n";
        else
            s += "    push " + std::to_string(filler(slot)) + "\n";
    }
    if (entry > 0)
        s += "    jmp part" + std::to_string(entry) + "\n";
    // The marker finds the first part in the code and keeps the set-up from
    // combining with it; it leaves the stack and the steps alone.
    s += MARKER;
    std::string parts = pattern.parts;
    replaceAll(parts, "{op}", op);
    for (const auto& [name, value] : operands)
        replaceAll(parts, "{" + name + "}", name == "t" && value == 0 ? "target" : std::to_string(value));
    const std::vector<std::string> list = split(parts, '|');
    for (std::size_t i = 0; i < list.size(); ++i)
        s += "part" + std::to_string(i) + ":\n    " + list[i] + "\n";
    s += "    .raw 255\ntarget:\n    .raw 255\ncallee:\n    .raw 255\n";
    p.stepsBefore = 1 + (at.delivering ? 1 : 0) + (entry > 0 ? 1 : 0);
    std::ostringstream title;
    title << "\"" << parts << "\" at top " << at.top << (at.delivering ? " (delivering)" : "") << ", entering part "
          << entry;
    p.title = title.str();
    return p;
}

// What a run leaves: the machine's observable state and how it stopped.
struct RunResult {
    MachineTestAccess::State state;
    bool stopped = false;
    int status = 0;
    std::string message;
    bool operator==(const RunResult&) const = default;
};

// The offset of the first part in the code, after the marker.
int firstPart(const Vec<signed char>& code)
{
    const signed char marker[] = {Lumbra::OP_Handlers, 0, Lumbra::OP_Handlers, 0, Lumbra::OP_Handlers, 0};
    const auto found = std::search(code.begin(), code.end(), std::begin(marker), std::end(marker));
    return found == code.end() ? -1 : int(found - code.begin()) + int(sizeof marker);
}

// Runs `image`; `combinedFirst`, when given, receives the combined
// instruction that the first part starts (0: none).
RunResult runImage(const LumbraAsm::Bytes& image, bool combined, TInt64 budget, int* combinedFirst)
{
    MachineTest::RecordingServices services;
    VirtualMachine vm(4u << 20);
    VirtualMachine::setCurrent(&vm);
    vm.setCombinedDispatch(combined);
    vm.setInstructionBudget(budget);
    MachineTestAccess access(vm);
    // Distinct words everywhere, so that a word written or left in the
    // wrong place shows.
    auto mark = [&] {
        for (int i = 0; i < VirtualMachine::STACK_WORDS; ++i)
            access.stack()[i] = TWord(0x5A000000u + TUint32(i) * 7u);
        if (combinedFirst)
            *combinedFirst = MatcherListing::at(access.tables(), firstPart(access.tables().codeBytes));
    };
    RunResult run;
    VUvarFileReader reader(new LumbraAsm::MemoryInputStream(image));
    try {
        vm.load(reader, VUvarString("index.mcb"), &services, mark);
    } catch (const MachineStop& stop) {
        run.stopped = true;
        run.status = stop.status;
        run.message = stop.message;
    }
    run.state = access.capture();
    VirtualMachine::setCurrent(nullptr);
    return run;
}

std::string difference(const RunResult& combined, const RunResult& plain)
{
    std::ostringstream out;
    auto field = [&](const char* name, const auto& a, const auto& b) {
        if (!(a == b))
            out << "\n  " << name << ": combined " << a << ", plain " << b;
    };
    field("stopped", combined.stopped, plain.stopped);
    field("status", combined.status, plain.status);
    field("message", combined.message, plain.message);
    field("sp", combined.state.sp, plain.state.sp);
    field("ip", combined.state.ip, plain.state.ip);
    field("steps left", combined.state.fuel, plain.state.fuel);
    field("frame depth", combined.state.frameDepth, plain.state.frameDepth);
    field("handler depth", combined.state.handlerTop, plain.state.handlerTop);
    field("fatal", combined.state.fatal, plain.state.fatal);
    for (std::size_t i = 0; i < combined.state.stack.size(); ++i)
        if (combined.state.stack[i] != plain.state.stack[i])
            out << "\n  slot " << i << ": combined " << combined.state.stack[i] << ", plain " << plain.state.stack[i];
    return out.str();
}

// The operands and entries of one pattern at one placement: every operand at
// its default, then each placeholder through its other candidates, one at a
// time; then each part after the first entered by a jump, the operands at
// their defaults.
std::vector<std::pair<std::map<std::string, int>, int>> variants(const Pattern& pattern, const Placement& at)
{
    const std::string parts = pattern.parts;
    std::map<std::string, std::vector<int>> choices;
    for (const char* name : {"k", "j", "c", "s", "n", "i", "t", "f"})
        if (parts.find("{" + std::string(name) + "}") != std::string::npos || (pattern.vector && name[0] == 'i'))
            choices[name] = candidates(name, at.top, 0);
    std::map<std::string, int> defaults;
    for (const auto& [name, values] : choices)
        defaults[name] = values.front();
    std::vector<std::map<std::string, int>> sets{defaults};
    auto vary = [&](const std::map<std::string, int>& from, const std::string& name, const std::vector<int>& values) {
        for (std::size_t v = 1; v < values.size(); ++v) {
            std::map<std::string, int> set = from;
            set[name] = values[v];
            sets.push_back(set);
        }
    };
    for (const auto& choice : choices)
        vary(defaults, choice.first, choice.second);
    if (parts.find("{a}") != std::string::npos) {
        // A return's operands follow where the adjustment before it leaves
        // the top: the default return finds the return address, in slot 1
        // or, in the overflow handler, the delivery's.
        const int returnSlot = at.delivering ? DELIVERY_TOP : 1;
        const std::size_t operandSets = sets.size();
        for (std::size_t i = 0; i < operandSets; ++i) {
            std::map<std::string, int>& set = sets[i];
            const int retTop = std::max(at.top + pattern.retTop + (set.count("n") ? set.at("n") : 0), -1);
            const std::vector<int> as = candidates("a", at.top, retTop - returnSlot);
            const std::vector<int> bs = candidates("b", at.top, retTop - returnSlot);
            set["a"] = as.front();
            set["b"] = bs.front();
            if (i == 0) {
                const std::map<std::string, int> base = set;
                vary(base, "a", as);
                vary(base, "b", bs);
            }
        }
    }
    std::vector<std::pair<std::map<std::string, int>, int>> out;
    for (const auto& set : sets)
        out.push_back({set, 0});
    for (std::size_t entry = 1; entry < split(parts, '|').size(); ++entry)
        out.push_back({sets.front(), int(entry)});
    return out;
}

// The budgets a program runs with: 0, 1 and 2 steps left at the first part
// where the pattern takes steps, and one it does not exhaust.
std::vector<TInt64> budgets(const Pattern& pattern, const Program& program)
{
    const std::string parts = pattern.parts;
    bool steps = false;
    for (const char* stepping : {"jz", "jmp", "call", "ret"})
        steps = steps || parts.find(stepping) != std::string::npos;
    if (!steps)
        return {PLENTY};
    return {program.stepsBefore, program.stepsBefore + 1, program.stepsBefore + 2, PLENTY};
}

} // namespace

TEST(CombinedEquivalence, EveryPatternAtEveryEdgeMatchesThePlainMachine)
{
    std::set<int> produced;
    int programs = 0, runs = 0, mismatches = 0;
    for (const Pattern& pattern : PATTERNS) {
        const std::vector<std::string> ops = std::string(pattern.ops).empty() ? std::vector<std::string>{""}
                                                                               : split(pattern.ops, ' ');
        for (const std::string& op : ops)
            for (const Placement& at : PLACEMENTS) {
                for (const auto& [operands, entry] : variants(pattern, at)) {
                    const Program p = program(pattern, op, at, operands, entry);
                    const LumbraAsm::AssemblyResult assembled = LumbraAsm::assemble(p.source, "pattern.s");
                    ASSERT_TRUE(assembled.ok) << assembled.error << "\n" << p.source;
                    ++programs;
                    for (TInt64 budget : budgets(pattern, p)) {
                        int first = 0;
                        const RunResult combined = runImage(assembled.image, true, budget, &first);
                        const RunResult plain = runImage(assembled.image, false, budget, nullptr);
                        if (entry == 0)
                            produced.insert(first);
                        runs += 2;
                        if (!(combined == plain) && ++mismatches <= 10)
                            ADD_FAILURE() << p.title << ", " << budget - p.stepsBefore
                                          << " steps left there:" << difference(combined, plain) << "\n"
                                          << p.source;
                    }
                }
            }
    }
    EXPECT_EQ(mismatches, 0) << "of " << runs << " runs of " << programs << " programs";
    // Every combined instruction the matcher knows starts some pattern.
    for (int id : MatcherListing::known())
        EXPECT_TRUE(produced.count(id)) << "no pattern here is combined into instruction " << id;
    std::printf("%d programs, %d runs\n", programs, runs);
}
