#include "control/OscDispatch.h"

#include <cmath>
#include <cstring>

#include "control/ControlState.h"
#include "control/OscConsole.h"
#include "control/OscControlReceiver.h"
#include "control/TransportRequests.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

bool isChannel(osc::int32 channel)
{
    return channel >= 0 && channel < kMidiChannels;
}

bool isKey(osc::int32 key)
{
    return key >= 0 && key < kMidiKeys;
}

// The factors are double reciprocals; the product is rounded to float once.
float scaled(double value, double divisor)
{
    return static_cast<float>(value * (1.0 / divisor));
}

// Each apply* checks the indexes of one message, prints its status line and
// stores its values; false (nothing printed, nothing stored) when an index
// lies outside its table.
bool applyInput(osc::int32 id, osc::int32 value)
{
    if (id < 0 || id >= kInputValueCount)
        return false;
    printInputStatus(id, value);
    inputValue[id].store(scaled(value, kInputFullScale), kRelaxed);
    return true;
}

bool applyController(osc::int32 channel, osc::int32 controller, osc::int32 value)
{
    if (!isChannel(channel) || !isKey(controller))
        return false;
    printControllerStatus(channel, controller, value);
    controllerValue[channel * kMidiKeys + controller].store(scaled(value, 127.0), kRelaxed);
    return true;
}

bool applyNote(osc::int32 channel, osc::int32 note, osc::int32 velocity)
{
    if (!isChannel(channel) || !isKey(note))
        return false;
    printNoteStatus(channel, note, velocity);
    const float v = scaled(velocity, 127.0);
    lastNoteNumber.store(static_cast<int16_t>(note), kRelaxed);
    noteVelocity[channel * kMidiKeys + note].store(v, kRelaxed);
    lastNoteVelocity.store(v, kRelaxed);
    return true;
}

bool applyBend(osc::int32 channel, osc::int32 bend)
{
    if (!isChannel(channel))
        return false;
    printBendStatus(channel, bend);
    // In double, so that no int32 bend value overflows.
    const double b = static_cast<double>(bend) - 8192.0;
    const float f = b > 0 ? scaled(b, 8191.0) : scaled(b, 8192.0);
    pitchBend[channel].store(f, kRelaxed);
    lastPitchBend.store(f, kRelaxed);
    return true;
}

// One time argument, int32 or float, with oscpack's exceptions for a
// missing or other argument.
float readTime(osc::ReceivedMessage::const_iterator& arg, const osc::ReceivedMessage& message)
{
    if (arg == message.ArgumentsEnd())
        throw osc::MissingArgumentException();
    float t = 0.0f;
    if (arg->IsInt32())
        t = static_cast<float>(arg->AsInt32Unchecked());
    else if (arg->IsFloat())
        t = arg->AsFloatUnchecked();
    else
        throw osc::WrongArgumentTypeException();
    ++arg;
    return t;
}

void requireEnd(const osc::ReceivedMessage::const_iterator& arg, const osc::ReceivedMessage& message)
{
    if (arg != message.ArgumentsEnd())
        throw osc::ExcessArgumentException();
}

bool isTime(float t)
{
    return std::isfinite(t) && t >= 0.0f;
}

// Like the apply* above, with the error text in place of false.
const char* applySeek(const osc::ReceivedMessage& message)
{
    auto arg = message.ArgumentsBegin();
    const float to = readTime(arg, message);
    requireEnd(arg, message);
    if (!isTime(to))
        return kTimeOutOfRange;
    printSeekStatus(to);
    requestSeek(to);
    return nullptr;
}

const char* applyLoop(const osc::ReceivedMessage& message)
{
    auto arg = message.ArgumentsBegin();
    const float start = readTime(arg, message);
    const float end = readTime(arg, message);
    requireEnd(arg, message);
    if (!isTime(start) || !isTime(end))
        return kTimeOutOfRange;
    if (start == 0.0f && end == 0.0f)
        printLoopOffStatus();
    else if (end > start)
        printLoopStatus(start, end);
    else
        return kLoopEndNotAfterStart;
    requestLoop(start, end);
    return nullptr;
}

bool tookEffect(const char* address, const char* fault)
{
    if (fault)
        reportMessageError(address, fault);
    return !fault;
}

}  // namespace

bool dispatchOscMessage(const osc::ReceivedMessage& message)
{
    const char* address = message.AddressPattern();
    try {
        osc::ReceivedMessageArgumentStream args = message.ArgumentStream();
        osc::int32 a = 0, b = 0, c = 0;
        bool inRange = true;
        if (strcmp(address, kInputAddress) == 0) {
            args >> a >> b >> osc::EndMessage;
            inRange = applyInput(a, b);
        } else if (strcmp(address, "/CTL") == 0) {
            args >> a >> b >> c >> osc::EndMessage;
            inRange = applyController(a, b, c);
        } else if (strcmp(address, "/NOTE") == 0) {
            args >> a >> b >> c >> osc::EndMessage;
            inRange = applyNote(a, b, c);
        } else if (strcmp(address, "/BEND") == 0) {
            args >> a >> b >> osc::EndMessage;
            inRange = applyBend(a, b);
        } else if (strcmp(address, kSeekAddress) == 0) {
            return tookEffect(address, applySeek(message));
        } else if (strcmp(address, kLoopAddress) == 0) {
            return tookEffect(address, applyLoop(message));
        } else {
            return false;
        }
        if (!inRange)
            reportMessageError(address, kArgumentOutOfRange);
        return inRange;
    } catch (const osc::Exception& e) {
        reportMessageError(address, e.what());
        return false;
    }
}
