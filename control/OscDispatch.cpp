#include "control/OscDispatch.h"

#include <cstring>

#include "control/ControlState.h"
#include "control/OscConsole.h"
#include "control/OscControlReceiver.h"

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

}  // namespace

void dispatchOscMessage(const osc::ReceivedMessage& message)
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
        }
        if (!inRange)
            reportMessageError(address, kArgumentOutOfRange);
    } catch (const osc::Exception& e) {
        reportMessageError(address, e.what());
    }
}
