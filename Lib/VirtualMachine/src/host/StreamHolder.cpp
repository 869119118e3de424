#include "host/StreamHolder.h"

#include "machine/VirtualMachine.h"

#include <string>
#include <string_view>

using Lumbra::throwError;

void fileNotOpen()
{
    throwError(Lumbra::EIOError, std::string_view("File is not open"));
}

namespace {

[[noreturn]] void invalidTypeId()
{
    throwError(Lumbra::EVM, std::string_view("Invalid TYPEID"));
}

template <class S>
S* ofKind(LUMBRA::Stream* stream)
{
    if (!stream)
        return nullptr;
    S* typed = dynamic_cast<S*>(stream);
    if (!typed)
        invalidTypeId();
    return typed;
}

template <class S>
S& openOf(S* stream)
{
    if (!stream || !stream->isOpen())
        fileNotOpen();
    return *stream;
}

} // namespace

std::vector<std::u16string> flushOpenWriters(VirtualMachine& vm)
{
    std::vector<std::u16string> lost;
    vm.heap().forEachNativeObject([&lost](GCObject& object) {
        const HeldStream* held = dynamic_cast<HeldStream*>(&object);
        auto* writer = held ? dynamic_cast<LUMBRA::OutputStream*>(held->get()) : nullptr;
        if (writer && writer->isOpen() && !writer->flush())
            lost.push_back(held->name());
    });
    return lost;
}

OString lostWritersMessage(const std::vector<std::u16string>& names)
{
    // Enough to find the files; an application with thousands open gets no
    // line of thousands of names.
    constexpr size_t NAMED = 8;
    std::u16string text = Lumbra::latin1ToU16("IOException: " + std::to_string(names.size()) +
                                              " open file(s) could not be written before exit: ");
    for (size_t i = 0; i < names.size() && i < NAMED; ++i) {
        if (i > 0)
            text += u", ";
        text += names[i];
    }
    if (names.size() > NAMED)
        text += Lumbra::latin1ToU16(" and " + std::to_string(names.size() - NAMED) + " more");
    return OString::fromU16(text);
}

void StreamHolder::storeNew(VirtualMachine& vm, TWord varBox, TYPEID typeId, std::unique_ptr<LUMBRA::Stream> stream,
                            const OString& name)
{
    vm.wordAt(TAddr(varBox)); // checks the box before anything is made
    const TAddr block = vm.heap().allocate(BLOCK_SIZE, 0, GC_CODE_STREAM_HOLDER);
    vm.arena().storeWord(block, typeId);
    vm.heap().attachStream(block, new HeldStream(std::move(stream), name.toU16()));
    vm.arena().storeWord(TAddr(varBox), TWord(block));
}

StreamHolder::StreamHolder(VirtualMachine& vm, TWord box) : vm(vm), holder(TAddr(vm.wordAt(TAddr(box))))
{
}

LUMBRA::Stream* StreamHolder::attached(TYPEID expected) const
{
    // streamOf validates the block and its stream word before anything is read.
    GCObject* object = vm.heap().streamOf(holder);
    if (vm.heap().entry(VMHeap::entryOf(holder)).gcCode != GC_CODE_STREAM_HOLDER ||
        vm.wordAt(holder) != expected)
        invalidTypeId();
    if (!object)
        return nullptr;
    HeldStream* held = dynamic_cast<HeldStream*>(object);
    if (!held)
        invalidTypeId();
    return held->get();
}

LUMBRA::InputStream* StreamHolder::attachedReader() const
{
    return ofKind<LUMBRA::InputStream>(attached(FILE_READER_TYPE_ID));
}

LUMBRA::OutputStream* StreamHolder::attachedWriter() const
{
    return ofKind<LUMBRA::OutputStream>(attached(FILE_WRITER_TYPE_ID));
}

LUMBRA::InputStream& StreamHolder::openReader() const
{
    if (isNull())
        fileNotOpen();
    return openOf(attachedReader());
}

LUMBRA::OutputStream& StreamHolder::openWriter() const
{
    if (isNull())
        fileNotOpen();
    return openOf(attachedWriter());
}
