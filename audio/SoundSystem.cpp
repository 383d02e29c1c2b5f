#include "audio/SoundSystem.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/SoundStream.h"
#include "audio/SpectrumAnalyser.h"

namespace {

std::atomic<unsigned> sReportedVersion{SOUND_LAYER_VERSION};

constexpr int kMaxChannels = 256;
constexpr int kBlockFrames = 256;             // the callbacks work in blocks of this many frames
constexpr unsigned kMaxUserBytes = 64u << 20; // largest user sound
constexpr int kStallMs = 1000;                // a playback stream silent this long is restarted

// ALSA's and JACK's device probing writes dozens of lines to standard error
// (cards that do not exist, no JACK server); the menus would drown in them.
// Failures still come back as PortAudio results.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
void quietJack(const char*) {}

void silenceBackendChatter()
{
    snd_lib_error_set_handler(quietAlsa);
    using JackReporter = void (*)(void (*)(const char*));
    for (const char* setter : {"jack_set_error_function", "jack_set_info_function"})
        if (auto set = reinterpret_cast<JackReporter>(dlsym(RTLD_DEFAULT, setter)))
            set(quietJack);
}

SoundResult copyName(const std::vector<int>& devices, int index, char* name, int length)
{
    if (index < 0 || index >= int(devices.size()) || !name || length <= 0)
        return SOUND_ERR_INVALID_PARAM;
    snprintf(name, size_t(length), "%s", Pa_GetDeviceInfo(devices[index])->name);
    return SOUND_OK;
}

}  // namespace

void setReportedSoundVersion(unsigned version)
{
    sReportedVersion.store(version);
}

SoundResult createSoundSystem(SoundSystem** system)
{
    if (!system)
        return SOUND_ERR_INVALID_PARAM;
    *system = nullptr;
    silenceBackendChatter();
    if (Pa_Initialize() != paNoError)
        return SOUND_ERR_BACKEND;
    SoundSystem* made = new SoundSystem();
    for (int d = 0; d < Pa_GetDeviceCount(); ++d) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(d);
        if (info->maxOutputChannels > 0)
            made->outputDevices_.push_back(d);
        if (info->maxInputChannels > 0)
            made->inputDevices_.push_back(d);
    }
    *system = made;
    return SOUND_OK;
}

SoundSystem::SoundSystem() = default;
SoundSystem::~SoundSystem() = default;

SoundResult SoundSystem::getVersion(unsigned* version)
{
    if (!version)
        return SOUND_ERR_INVALID_PARAM;
    *version = sReportedVersion.load();
    return SOUND_OK;
}

SoundResult SoundSystem::getNumDrivers(int* count)
{
    if (!count)
        return SOUND_ERR_INVALID_PARAM;
    *count = int(outputDevices_.size());
    return SOUND_OK;
}

SoundResult SoundSystem::getRecordNumDrivers(int* count)
{
    if (!count)
        return SOUND_ERR_INVALID_PARAM;
    *count = int(inputDevices_.size());
    return SOUND_OK;
}

SoundResult SoundSystem::getDriverName(int index, char* name, int length)
{
    return copyName(outputDevices_, index, name, length);
}

SoundResult SoundSystem::getRecordDriverName(int index, char* name, int length)
{
    return copyName(inputDevices_, index, name, length);
}

SoundResult SoundSystem::setDriver(int index)
{
    if (output_)
        return SOUND_ERR_INITIALIZED;
    if (index < 0 || index >= int(outputDevices_.size()))
        return SOUND_ERR_INVALID_PARAM;
    driver_ = index;
    return SOUND_OK;
}

SoundResult SoundSystem::setRecordDriver(int index)
{
    if (input_)
        return SOUND_ERR_RECORDING;
    if (index < 0 || index >= int(inputDevices_.size()))
        return SOUND_ERR_INVALID_PARAM;
    recordDriver_ = index;
    return SOUND_OK;
}

SoundResult SoundSystem::setSoftwareFormat(int rate, SoundFormat format, int outputChannels, int inputChannels,
                                           SoundResampler resampler)
{
    if (output_)
        return SOUND_ERR_INITIALIZED;
    if (rate < 8000 || rate > 192000 || format != SOUND_FORMAT_PCM16 || outputChannels < 1 ||
        outputChannels > 2 || inputChannels != 0 || resampler != SOUND_RESAMPLER_LINEAR)
        return SOUND_ERR_INVALID_PARAM;
    rate_ = rate;
    outputChannels_ = outputChannels;
    return SOUND_OK;
}

SoundResult SoundSystem::init(int channels, unsigned flags, void* driverData)
{
    if (output_)
        return SOUND_ERR_INITIALIZED;
    if (channels < 1 || channels > kMaxChannels || flags != SOUND_INIT_NORMAL || driverData)
        return SOUND_ERR_INVALID_PARAM;
    const int device = driver_ >= 0 ? outputDevices_[driver_] : Pa_GetDefaultOutputDevice();
    if (device == paNoDevice)
        return SOUND_ERR_OUTPUT;

    // Everything the callbacks touch exists before the stream starts.
    if (!analyser_)
        analyser_ = std::make_unique<SpectrumAnalyser>();
    channels_.clear();
    for (int i = 0; i < channels; ++i)
        channels_.emplace_back(new SoundChannel(*analyser_));

    const PaStreamParameters params{device, outputChannels_, paInt16,
                                    Pa_GetDeviceInfo(device)->defaultLowOutputLatency, nullptr};
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, nullptr, &params, rate_, paFramesPerBufferUnspecified, paNoFlag,
                      outputCallback, this) != paNoError)
        return SOUND_ERR_OUTPUT;
    if (Pa_StartStream(stream) != paNoError) {
        Pa_CloseStream(stream);
        return SOUND_ERR_OUTPUT;
    }
    output_ = stream;
    return SOUND_OK;
}

SoundResult SoundSystem::createSound(const char* name, unsigned mode, const SoundExInfo* info, Sound** sound)
{
    if (!sound)
        return SOUND_ERR_INVALID_PARAM;
    *sound = nullptr;
    if (!output_)
        return SOUND_ERR_NOT_INITIALIZED;
    if (mode & ~(SOUND_MODE_LOOP | SOUND_MODE_2D | SOUND_MODE_SOFTWARE | SOUND_MODE_USER))
        return SOUND_ERR_INVALID_PARAM;
    if (!(mode & SOUND_MODE_USER)) {
        if (!name || info)
            return SOUND_ERR_INVALID_PARAM;
        return openFile(name, mode & SOUND_MODE_LOOP, sound);
    }
    if (name || !info || info->structSize != int(sizeof(SoundExInfo)) || info->format != SOUND_FORMAT_PCM16 ||
        info->channels < 1 || info->channels > 2)
        return SOUND_ERR_INVALID_PARAM;
    const unsigned frameBytes = unsigned(info->channels) * 2;
    if (info->lengthBytes == 0 || info->lengthBytes % frameBytes || info->lengthBytes > kMaxUserBytes)
        return SOUND_ERR_INVALID_PARAM;
    if (info->frequency != rate_)
        return SOUND_ERR_UNSUPPORTED;  // recordings are played without resampling

    Sound* made = new Sound(this, info->channels, info->frequency, true);
    made->bufferFrames_ = int(info->lengthBytes / frameBytes);
    made->buffer_.reset(new std::atomic<int16_t>[info->lengthBytes / 2]);
    for (unsigned i = 0; i < info->lengthBytes / 2; ++i)
        made->buffer_[i].store(0, std::memory_order_relaxed);
    sounds_.push_back(made);
    *sound = made;
    return SOUND_OK;
}

SoundResult SoundSystem::openFile(const char* name, bool loop, Sound** sound)
{
    std::unique_ptr<SoundStream> stream;
    const SoundResult result = SoundStream::open(name, loop, stream);
    if (result != SOUND_OK)
        return result;
    Sound* made = new Sound(this, stream->channels(), stream->frequency(), loop);
    made->fileName_ = name;
    made->stream_ = std::move(stream);
    sounds_.push_back(made);
    *sound = made;
    return SOUND_OK;
}

// A file sound plays its stream once: played again, it stops where it
// plays and starts anew from a fresh stream of the file.
SoundResult SoundSystem::renewStream(Sound* sound)
{
    if (!sound->streamTaken_) {
        sound->streamTaken_ = true;
        return SOUND_OK;
    }
    stopChannelsOf(sound);
    sound->stream_.reset();
    std::unique_ptr<SoundStream> stream;
    const SoundResult result = SoundStream::open(sound->fileName_.c_str(), sound->loop_, stream);
    if (result != SOUND_OK)
        return result;
    if (stream->channels() != sound->channels_ || stream->frequency() != sound->frequency_)
        return SOUND_ERR_FORMAT;  // the file was replaced by another meanwhile
    sound->stream_ = std::move(stream);
    return SOUND_OK;
}

SoundResult SoundSystem::recordStart(Sound* sound, bool loop)
{
    if (!output_)
        return SOUND_ERR_NOT_INITIALIZED;
    if (!sound || sound->system_ != this || !sound->isUserSound())
        return SOUND_ERR_INVALID_PARAM;
    if (input_)
        return SOUND_ERR_RECORDING;
    const int device = recordDriver_ >= 0 ? inputDevices_[recordDriver_] : Pa_GetDefaultInputDevice();
    if (device == paNoDevice)
        return SOUND_ERR_RECORD;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    inputChannels_ = std::min(sound->channels_, info->maxInputChannels);
    sound->recordedFrames_.store(0, std::memory_order_release);
    recording_ = sound;
    recordLoop_ = loop;

    const PaStreamParameters params{device, inputChannels_, paInt16, info->defaultLowInputLatency, nullptr};
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, &params, nullptr, sound->frequency_, paFramesPerBufferUnspecified, paNoFlag,
                      inputCallback, this) != paNoError) {
        recording_ = nullptr;
        return SOUND_ERR_RECORD;
    }
    if (Pa_StartStream(stream) != paNoError) {
        Pa_CloseStream(stream);
        recording_ = nullptr;
        return SOUND_ERR_RECORD;
    }
    input_ = stream;
    return SOUND_OK;
}

SoundResult SoundSystem::recordStop()
{
    if (!input_)
        return SOUND_OK;
    // Returns once the callback has ended; then nothing writes the sound.
    Pa_StopStream(input_);
    Pa_CloseStream(input_);
    input_ = nullptr;
    recording_ = nullptr;
    return SOUND_OK;
}

SoundResult SoundSystem::playSound(int channelIndex, Sound* sound, bool paused, SoundChannel** channel)
{
    if (!output_)
        return SOUND_ERR_NOT_INITIALIZED;
    if (channelIndex != SOUND_CHANNEL_FREE || !sound || sound->system_ != this || !channel)
        return SOUND_ERR_INVALID_PARAM;
    if (paused)
        return SOUND_ERR_UNSUPPORTED;
    if (!sound->isUserSound()) {
        const SoundResult renewed = renewStream(sound);
        if (renewed != SOUND_OK)
            return renewed;
    }
    for (auto& c : channels_) {
        if (c->sound_.load(std::memory_order_acquire))
            continue;
        c->start(sound);
        *channel = c.get();
        return SOUND_OK;
    }
    return SOUND_ERR_NO_FREE_CHANNEL;
}

SoundResult SoundSystem::close()
{
    recordStop();
    if (output_) {
        Pa_StopStream(output_);
        Pa_CloseStream(output_);
        output_ = nullptr;
    }
    channels_.clear();
    return SOUND_OK;
}

SoundResult SoundSystem::release()
{
    close();
    for (Sound* s : sounds_)
        delete s;
    sounds_.clear();
    Pa_Terminate();
    delete this;
    return SOUND_OK;
}

void SoundSystem::forget(Sound* sound)
{
    if (recording_ == sound)
        recordStop();
    stopChannelsOf(sound);
    sounds_.erase(std::remove(sounds_.begin(), sounds_.end(), sound), sounds_.end());
}

void SoundSystem::stopChannelsOf(const Sound* sound)
{
    bool stopped = false;
    for (auto& c : channels_)
        if (c->sound_.load(std::memory_order_acquire) == sound) {
            c->sound_.store(nullptr, std::memory_order_release);
            stopped = true;
        }
    if (stopped)
        waitForMixPass();
}

void SoundSystem::waitForMixPass()
{
    // A mix pass under way may still read the freed channels' sound; every
    // pass that begins from now on sees them free. So once the pass counter
    // moves, no callback reads the sound any more.
    if (!output_ || Pa_IsStreamActive(output_) != 1)
        return;
    const uint64_t seen = mixPasses_.load(std::memory_order_acquire);
    for (int ms = 0; ms < kStallMs; ++ms) {
        if (mixPasses_.load(std::memory_order_acquire) != seen)
            return;
        Pa_Sleep(1);
    }
    // The stream has stalled: aborting it waits for any callback to end.
    Pa_AbortStream(output_);
    Pa_StartStream(output_);
}

int SoundSystem::outputCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                                unsigned long, void* self)
{
    static_cast<SoundSystem*>(self)->mix(static_cast<int16_t*>(output), frames);
    return paContinue;
}

int SoundSystem::inputCallback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                               unsigned long, void* self)
{
    return static_cast<SoundSystem*>(self)->record(static_cast<const int16_t*>(input), frames) ? paContinue
                                                                                                : paComplete;
}

void SoundSystem::mix(int16_t* out, unsigned long frames)
{
    float mixed[kBlockFrames * 2];
    float voice[kBlockFrames * 2];
    while (frames > 0) {
        const int n = int(std::min<unsigned long>(frames, kBlockFrames));
        std::fill(mixed, mixed + 2 * n, 0.0f);
        for (auto& c : channels_) {
            const Sound* sound = c->sound_.load(std::memory_order_acquire);
            if (!sound)
                continue;
            if (sound->isUserSound())
                c->renderRecorded(*sound, voice, n);
            else
                c->renderFile(*sound, voice, n, rate_);
            const float volume = c->volume_.load(std::memory_order_relaxed);
            for (int i = 0; i < 2 * n; ++i)
                mixed[i] += voice[i] * volume;
        }
        for (int i = 0; i < n; ++i) {
            const float l = std::clamp(mixed[2 * i], -1.0f, 1.0f);
            const float r = std::clamp(mixed[2 * i + 1], -1.0f, 1.0f);
            if (outputChannels_ == 2) {
                *out++ = int16_t(l * 32767.0f);
                *out++ = int16_t(r * 32767.0f);
            } else {
                *out++ = int16_t((l + r) * 0.5f * 32767.0f);
            }
        }
        frames -= n;
    }
    mixPasses_.fetch_add(1, std::memory_order_release);
}

bool SoundSystem::record(const int16_t* in, unsigned long frames)
{
    if (!in)
        return true;
    Sound& sound = *recording_;
    const uint64_t at = sound.recordedFrames_.load(std::memory_order_relaxed);
    const uint64_t size = uint64_t(sound.bufferFrames_);
    if (!recordLoop_)
        frames = std::min<uint64_t>(frames, size - std::min(at, size));
    const int deviceLast = inputChannels_ - 1;
    // A mono record driver fills both channels of a stereo sound.
    for (unsigned long f = 0; f < frames; ++f)
        for (int c = 0; c < sound.channels_; ++c)
            sound.buffer_[((at + f) % size) * sound.channels_ + c].store(
                in[f * inputChannels_ + std::min(c, deviceLast)], std::memory_order_relaxed);
    sound.recordedFrames_.store(at + frames, std::memory_order_release);

    // The channels that play this sound play the recording as it comes in.
    float sides[kBlockFrames * 2];
    for (unsigned long done = 0; done < frames;) {
        const int n = int(std::min<unsigned long>(frames - done, kBlockFrames));
        for (int i = 0; i < n; ++i)
            for (int side = 0; side < 2; ++side)
                sides[2 * i + side] = in[(done + i) * inputChannels_ + std::min(side, deviceLast)] / 32768.0f;
        for (auto& c : channels_)
            if (c->sound_.load(std::memory_order_acquire) == &sound) {
                c->sides_[0].push(sides, n, 2);
                c->sides_[1].push(sides + 1, n, 2);
            }
        done += n;
    }
    return recordLoop_ || at + frames < size;
}
