#include "ExtensionTestSupport.h"

#include "NativeGroups.h"
#include "OVector.h"
#include "ObjectWrapper.h"

namespace ExtensionTest {

TAddr MachineWithExtensions::byteArray(const std::vector<std::uint8_t>& bytes)
{
    const TAddr vector = newEmptyVector(*vm, 1);
    vm->heap().objectAs<OVector<ByteElement>>(vector)->insert(0, reinterpret_cast<const ByteElement*>(bytes.data()),
                                                              int(bytes.size()));
    const TAddr variable = vm->heap().allocate(8, 0, GC_CODE_VECTOR_HANDLE);
    vm->arena().storeWord(variable, TWord(vector));
    vm->arena().storeWord(variable + 4, 1);
    vm->heap().addRoot(variable);
    return variable;
}

std::vector<std::uint8_t> MachineWithExtensions::bytesOf(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes;
    for (std::int16_t s : samples) {
        bytes.push_back(std::uint8_t(s & 0xFF));
        bytes.push_back(std::uint8_t((s >> 8) & 0xFF));
    }
    return bytes;
}

CallResult MachineWithExtensions::call(int id, unsigned operation, const std::vector<TWord>& args, int base)
{
    for (size_t i = 0; i < args.size(); ++i)
        vm->stackBase[base + int(i)] = args[i];
    const int top = base + int(args.size()) - 1;
    vm->sp = top;
    CallResult result;
    try {
        result.top = registry->call(id, operation, top, vm->stackBase);
    } catch (const Lumbra::ErrorHandlingException&) {
        result.errorCode = Lumbra::lastErrorCode();
        result.message = Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
        result.fatalDetail = vm->fatalDetail();
    }
    return result;
}

} // namespace ExtensionTest
