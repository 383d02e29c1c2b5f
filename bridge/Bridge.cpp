#include "bridge/Bridge.h"

#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "base/ConsoleOutput.h"
#include "base/StopSignals.h"
#include "bridge/BridgeConsole.h"
#include "bridge/BridgeEngine.h"
#include "bridge/LiveDisplay.h"
#include "bridge/MidiInSource.h"
#include "bridge/OscInSource.h"
#include "bridge/WebAccess.h"
#include "bridge/WebControlServer.h"
#include "control/OscConsole.h"

namespace {

constexpr auto kDrawEvery = std::chrono::milliseconds(100);
constexpr int kWatchEveryDraws = 5;

int listPorts(MidiInSource::Api api)
{
    std::vector<std::string> names;
    std::string why;
    if (!MidiInSource::listPorts(api, names, why)) {
        reportFailure(why);
        return 1;
    }
    printf("%s\n", portListHeading(MidiInSource::apiName(api), int(names.size())).c_str());
    for (const std::string& name : names)
        printf("  %s\n", name.c_str());
    return 0;
}

std::vector<std::string> destinationNames(const BridgeOptions& options)
{
    std::vector<std::string> names;
    for (const OscInputSender::Destination& d : options.destinations)
        names.push_back(d.name);
    return names;
}

// Draws the display and watches MIDI until a stop is asked for.
void runUntilStopped(BridgeEngine& engine, LiveDisplay& display, MidiInSource* midi)
{
    for (int pass = 0; !stopSignalled(); ++pass) {
        if (engine.takeSenderPrinted())
            display.startOver();
        display.draw(engine);
        if (midi && pass % kWatchEveryDraws == 0)
            midi->watch();
        std::this_thread::sleep_for(kDrawEvery);
    }
}

}  // namespace

int runBridge(const BridgeOptions& options)
{
    MidiInSource::Api api = MidiInSource::Api::Jack;
    if (options.midi || options.list) {
        std::string why;
        if (!MidiInSource::chooseApi(options.midiApi, api, why)) {
            reportFailure(why);
            return 2;
        }
        if (options.list)
            return listPorts(api);
    }
    const bool terminal = isatty(STDOUT_FILENO);
    ConsoleOutput::start();
    catchStopSignals();
    LiveDisplay display(stdout, terminal);
    const BridgeEngine::LineSink lines = [&display](const std::string& text) { display.line(text); };

    BridgeEngine engine({options.mappings, options.destinations, true, options.learn}, lines);
    std::unique_ptr<OscInSource> oscIn;
    if (options.oscIn) {
        oscIn = std::make_unique<OscInSource>(options.oscInAt, engine, lines);
        if (!oscIn->isBound())
            failOscPortUnavailable(unsigned(options.oscInAt.port), oscIn->bindError().c_str(), oscIn->bindErrno());
        engine.addListener(&oscIn->feedback());
    }
    std::unique_ptr<WebControlServer> web;
    std::vector<std::string> addresses;
    if (options.web) {
        const std::string token = options.webToken.empty() ? makeWebToken() : options.webToken;
        if (token.empty()) {
            reportFailure(webNoToken());
            return 2;
        }
        web = std::make_unique<WebControlServer>(options.webHost, options.webPort, token, options.mappings, engine,
                                                 lines);
        std::string why;
        if (!web->start(why)) {
            reportFailure(why);
            return 2;
        }
        engine.addListener(web.get());
        addresses = pageAddresses(options.webHost, options.webPort, token);
    }
    engine.start();
    if (oscIn)
        oscIn->start();
    std::unique_ptr<MidiInSource> midi;
    if (options.midi) {
        midi = std::make_unique<MidiInSource>(api, options.virtualPort, options.midiName, engine, lines);
        std::string why;
        if (!midi->start(why)) {
            midi.reset();
            reportFailure(why);
            return 1;
        }
    }
    if (oscIn)
        display.line(oscInLine(options.oscInText));
    for (const std::string& address : addresses)
        display.line(webAddressLine(address));
    if (web && terminal)
        for (const std::string& row : qrCodeLines(addresses.front()))
            display.line(row);
    display.line(sendingLine(destinationNames(options)));
    display.line(runningLine());

    runUntilStopped(engine, display, midi.get());

    // Sources first, so that nothing is posted to an engine that has stopped.
    midi.reset();
    if (oscIn)
        oscIn->stop();
    if (web)
        web->stop();
    engine.stop();
    display.finish();
    return 0;
}
