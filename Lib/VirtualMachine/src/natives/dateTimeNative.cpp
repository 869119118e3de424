// The DateTime native group (29). Objects travel as reference boxes; a null
// box or an empty one raises NullPointerException "NULL pointer", except in
// the identity tests, which compare the boxes themselves.
// Before any Qt header: Qt defines `slots` as a macro, which NativeCallFrame uses as a name.
#include "natives/stringNativeCall.h"

#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "values/DateTime.h"

using Lumbra::DateTime;

namespace {

// The wall clock as the host gives it, which a recorded run replays.
TInt64 wallClockMillis(VirtualMachine& vm)
{
    return vm.services() ? vm.services()->calendarMillis() : QDateTime::currentMSecsSinceEpoch();
}

DateTime& dateOf(NativeCallFrame& call, int i)
{
    return *call.vm.heap().objectAs<DateTime>(TAddr(call.vm.wordAt(TAddr(call.arg(i)))));
}

// Argument 0 is the box of a DateTime being constructed: it receives `dt`.
void construct(NativeCallFrame& call, const DateTime& dt)
{
    const TAddr box = TAddr(call.arg(0));
    call.vm.wordAt(box); // checks the box before anything is made
    const TAddr object = call.vm.heap().create<DateTime>(DateTime::BLOCK_SIZE, GC_CODE_DATETIME, dt);
    call.vm.arena().storeWord(box, TWord(object));
    call.leaveNothing();
}

bool holds(int op, int comparison)
{
    switch (op) {
    case 24:
        return comparison == 0;
    case 25:
        return comparison != 0;
    case 26:
        return comparison < 0;
    case 27:
        return comparison <= 0;
    case 28:
        return comparison > 0;
    default:
        return comparison >= 0;
    }
}

} // namespace

TAddr newDateTime(VirtualMachine& vm, TInt32 timezone)
{
    return vm.heap().create<DateTime>(DateTime::BLOCK_SIZE, GC_CODE_DATETIME, DateTime::now(timezone, wallClockMillis(vm)));
}

void dateTimeNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, DateTimeFn(native));
    switch (DateTimeFn(native)) {
    case DateTimeFn::now:
        call.take();
        construct(call, DateTime::now(DateTime::LOCAL, wallClockMillis(call.vm)));
        return;
    case DateTimeFn::copy:
    case DateTimeFn::copyAlt:
        call.take();
        construct(call, dateOf(call, 1));
        return;
    case DateTimeFn::create:
        call.take();
        construct(call, DateTime::fromValues({call.arg(1), call.arg(2), call.arg(3), call.arg(4), call.arg(5),
                                              call.arg(6), call.arg(7)}));
        return;
    case DateTimeFn::add:
    case DateTimeFn::subtract: {
        call.take();
        // Computed on 64 bits: large amounts move the date instead of wrapping.
        const TInt64 seconds = TInt64(call.arg(1)) * 86400 + TInt64(call.arg(2)) * 3600 +
                               TInt64(call.arg(3)) * 60 + TInt64(call.arg(4));
        dateOf(call, 0).addSeconds(native == 5 ? seconds : -seconds);
        call.leaveNothing();
        return;
    }
    case DateTimeFn::day:
    case DateTimeFn::month:
    case DateTimeFn::year:
    case DateTimeFn::hour:
    case DateTimeFn::minute:
    case DateTimeFn::second:
        call.take();
        call.leave(dateOf(call, 0).field(DateTime::Field(native - 7)));
        return;
    case DateTimeFn::timezone:
        call.take();
        call.leave(dateOf(call, 0).getTimezone());
        return;
    case DateTimeFn::setDay:
    case DateTimeFn::setMonth:
    case DateTimeFn::setYear:
    case DateTimeFn::setHour:
    case DateTimeFn::setMinute:
    case DateTimeFn::setSecond:
        call.take();
        dateOf(call, 0).setField(DateTime::Field(native - 14), call.arg(1));
        call.leaveNothing();
        return;
    case DateTimeFn::convertTimezone:
        call.take();
        dateOf(call, 0).convertTo(call.arg(1));
        call.leaveNothing();
        return;
    case DateTimeFn::toString:
        call.take();
        call.leaveString(OString::fromLatin1(dateOf(call, 0).text().c_str()));
        return;
    case DateTimeFn::same:
    case DateTimeFn::different:
        call.take();
        call.leaveOneOrZero((call.arg(0) == call.arg(1)) == (native == 22));
        return;
    case DateTimeFn::equals:
    case DateTimeFn::notEquals:
    case DateTimeFn::less:
    case DateTimeFn::lessOrEqual:
    case DateTimeFn::greater:
    case DateTimeFn::greaterOrEqual:
        call.take();
        call.leaveOneOrZero(holds(native, dateOf(call, 0).compareTo(dateOf(call, 1))));
        return;
    }
}
