#include "platform/sdl/SdlSoundOutput.h"

#include <SDL.h>

#include <QFile>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {
using TSteady = std::chrono::steady_clock;

// 512 frames is about 11 ms at 44.1 kHz: a dart's whoosh must follow the click
// at once, and a cut must not trail the new start by a long buffer.
constexpr Uint16 BufferFrames = 512;
constexpr int WantedRate = 44100;
// A sound that is cut fades out over this many milliseconds instead of stopping
// mid-wave, which would click.
constexpr int CutFadeMs = 3;

// One sound decoded into the device's format: interleaved signed 16-bit samples.
using TPcm = std::vector<Sint16>;
}  // namespace

struct TSdlSoundOutput::TImpl {
  // Guards the device handle, the open attempts and the decoded sounds.
  std::mutex FOpenLock;
  bool FSubsystem = false;
  SDL_AudioDeviceID FDevice = 0;
  SDL_AudioSpec FSpec{};
  bool FTried = false;
  TSteady::time_point FLastTry;
  // Node-based, so the addresses the callback holds stay valid while the device
  // is open; an entry that failed to decode stays empty and is not tried again.
  std::map<std::string, TPcm> FSounds;
  std::uint64_t FEpoch = 0;  // counts closes: a sound decoded before one is stale

  // The state of the audio callback, guarded by SDL_LockAudioDevice.
  const TPcm* FCur = nullptr;
  std::size_t FCurPos = 0;
  const TPcm* FOld = nullptr;  // the cut sound, fading out
  std::size_t FOldPos = 0;
  int FFadeLeft = 0;  // frames of the fade still to go
  int FFadeFrames = 1;
  std::uint64_t FGeneration = 0;  // counts starts

  // The highest start that has ended (ran out or was cut), for Play with wait.
  std::atomic<std::uint64_t> FDone{0};
  std::mutex FDoneLock;
  std::condition_variable FDoneChanged;

  ~TImpl() { CloseLocked(); }

  bool Open();
  void CloseLocked();
  // The named sound in the device's format (nullptr if it cannot be had) and
  // the epoch of the device it was decoded for.
  const TPcm* Decoded(const std::string& name, std::uint64_t& epoch);
  // With the device locked: ends the current sound, fading it out.
  void CutLocked();
  void MarkDone(std::uint64_t generation);
  static void SDLCALL Callback(void* self, Uint8* stream, int len);
  void Fill(Sint16* out, int frames);
};

void TSdlSoundOutput::TImpl::CloseLocked() {
  if (FDevice != 0) {
    SDL_CloseAudioDevice(FDevice);
    FDevice = 0;
  }
  // The stream format may differ on the next device.
  FCur = FOld = nullptr;
  MarkDone(FGeneration);
  FSounds.clear();
  ++FEpoch;
  if (FSubsystem) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    FSubsystem = false;
  }
}

bool TSdlSoundOutput::TImpl::Open() {
  std::lock_guard<std::mutex> g(FOpenLock);
  if (FDevice != 0) {
    // A sound server that went away leaves a stopped device behind.
    if (SDL_GetAudioDeviceStatus(FDevice) != SDL_AUDIO_STOPPED) return true;
    CloseLocked();
  }
  const TSteady::time_point now = TSteady::now();
  if (FTried && now - FLastTry < ReopenInterval) return false;
  FTried = true;
  FLastTry = now;

  // The fanfare's MS ADPCM data ends in a shorter block, as its length asks;
  // SDL would drop such a block by default, losing the last 18 ms.
  SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "dropframe");
  // SDL's audio start-up brings its event subsystem, whose own SIGTERM and
  // SIGINT handlers would swallow both signals (SDL only queues an SDL_QUIT
  // event, which this program never reads); the program handles them itself.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  FSubsystem = true;
  SDL_AudioSpec want{};
  want.freq = WantedRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = BufferFrames;
  want.callback = &TImpl::Callback;
  want.userdata = this;
  // Any rate and channel count the device prefers: the sounds are converted to
  // it once, when they are decoded, instead of on every buffer.
  FDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &FSpec,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (FDevice == 0) {
    CloseLocked();
    return false;
  }
  FFadeFrames = std::max(1, FSpec.freq * CutFadeMs / 1000);
  SDL_PauseAudioDevice(FDevice, 0);
  return true;
}

const TPcm* TSdlSoundOutput::TImpl::Decoded(const std::string& name, std::uint64_t& epoch) {
  std::lock_guard<std::mutex> g(FOpenLock);
  if (FDevice == 0) return nullptr;
  epoch = FEpoch;
  auto [it, fresh] = FSounds.try_emplace(name);
  TPcm& pcm = it->second;
  if (fresh) {
    QFile file(QStringLiteral(":/sounds/%1.wav").arg(QString::fromStdString(name)));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    SDL_AudioSpec wave{};
    Uint8* buf = nullptr;
    Uint32 len = 0;
    SDL_RWops* rw = bytes.isEmpty() ? nullptr : SDL_RWFromConstMem(bytes.constData(), int(bytes.size()));
    if (rw != nullptr && SDL_LoadWAV_RW(rw, 1, &wave, &buf, &len) != nullptr) {
      SDL_AudioStream* stream =
          SDL_NewAudioStream(wave.format, wave.channels, wave.freq, AUDIO_S16SYS, FSpec.channels, FSpec.freq);
      // SDL's resampling stream keeps back about the last 512 input frames even
      // after a flush; feeding silence after the sound pushes them out, and the
      // result is cut to the sound's own length.
      const int frameBytes = int(SDL_AUDIO_BITSIZE(wave.format) / 8 * wave.channels);
      const std::vector<Uint8> tail(std::size_t(frameBytes) * 4096, wave.format == AUDIO_U8 ? 0x80 : 0);
      const std::size_t frames = std::size_t(len) / std::size_t(frameBytes);
      const std::size_t wanted = (frames * std::size_t(FSpec.freq) + std::size_t(wave.freq) / 2) /
                                 std::size_t(wave.freq) * FSpec.channels;
      if (stream != nullptr && SDL_AudioStreamPut(stream, buf, int(len)) == 0 &&
          SDL_AudioStreamPut(stream, tail.data(), int(tail.size())) == 0 && SDL_AudioStreamFlush(stream) == 0) {
        // The stream may hand out its flushed data in more than one piece.
        for (int avail; (avail = SDL_AudioStreamAvailable(stream)) > 0;) {
          const std::size_t at = pcm.size();
          pcm.resize(at + std::size_t(avail) / sizeof(Sint16));
          const int got = SDL_AudioStreamGet(stream, pcm.data() + at, avail);
          pcm.resize(at + (got > 0 ? std::size_t(got) / sizeof(Sint16) : 0));
          if (got <= 0) break;
        }
        if (pcm.size() > wanted) pcm.resize(wanted);
      }
      if (stream != nullptr) SDL_FreeAudioStream(stream);
      SDL_FreeWAV(buf);
    }
  }
  return pcm.empty() ? nullptr : &pcm;
}

void TSdlSoundOutput::TImpl::MarkDone(std::uint64_t generation) {
  {
    std::lock_guard<std::mutex> g(FDoneLock);
    if (generation > FDone.load()) FDone.store(generation);
  }
  FDoneChanged.notify_all();
}

void TSdlSoundOutput::TImpl::CutLocked() {
  if (FCur == nullptr) return;
  FOld = FCur;
  FOldPos = FCurPos;
  FFadeLeft = FFadeFrames;
  FCur = nullptr;
  MarkDone(FGeneration);
}

void SDLCALL TSdlSoundOutput::TImpl::Callback(void* self, Uint8* stream, int len) {
  auto* impl = static_cast<TImpl*>(self);
  std::memset(stream, 0, std::size_t(len));
  impl->Fill(reinterpret_cast<Sint16*>(stream), len / int(sizeof(Sint16) * impl->FSpec.channels));
}

void TSdlSoundOutput::TImpl::Fill(Sint16* out, int frames) {
  const int ch = FSpec.channels;
  if (FOld != nullptr) {
    const std::size_t size = FOld->size();
    for (int f = 0; f < frames && FFadeLeft > 0 && FOldPos < size; ++f, --FFadeLeft) {
      for (int c = 0; c < ch && FOldPos < size; ++c)
        out[f * ch + c] = Sint16(int((*FOld)[FOldPos++]) * FFadeLeft / FFadeFrames);
    }
    if (FFadeLeft <= 0 || FOldPos >= size) FOld = nullptr;
  }
  if (FCur == nullptr) return;
  const std::size_t samples = std::min(std::size_t(frames) * ch, FCur->size() - FCurPos);
  for (std::size_t i = 0; i < samples; ++i)
    out[i] = Sint16(std::clamp(int(out[i]) + int((*FCur)[FCurPos + i]), -32768, 32767));
  FCurPos += samples;
  if (FCurPos >= FCur->size()) {
    FCur = nullptr;
    MarkDone(FGeneration);
  }
}

TSdlSoundOutput::TSdlSoundOutput() : FImpl(std::make_unique<TImpl>()) {}

TSdlSoundOutput::~TSdlSoundOutput() {
  std::lock_guard<std::mutex> g(FImpl->FOpenLock);
  FImpl->CloseLocked();
}

bool TSdlSoundOutput::Open() { return FImpl->Open(); }

void TSdlSoundOutput::Stop() {
  std::lock_guard<std::mutex> g(FImpl->FOpenLock);
  if (FImpl->FDevice == 0) return;
  SDL_LockAudioDevice(FImpl->FDevice);
  FImpl->CutLocked();
  SDL_UnlockAudioDevice(FImpl->FDevice);
}

void TSdlSoundOutput::Play(const std::string& name, bool wait) {
  if (!FImpl->Open()) return;
  std::uint64_t epoch = 0;
  const TPcm* pcm = FImpl->Decoded(name, epoch);
  if (pcm == nullptr) return;
  std::uint64_t generation = 0;
  std::chrono::milliseconds length{0};
  {
    std::lock_guard<std::mutex> g(FImpl->FOpenLock);
    // The device may have been lost and reopened since the sound was decoded.
    if (FImpl->FDevice == 0 || FImpl->FEpoch != epoch) return;
    length = std::chrono::milliseconds(std::uint64_t(pcm->size()) * 1000 /
                                       (std::uint64_t(FImpl->FSpec.freq) * FImpl->FSpec.channels));
    SDL_LockAudioDevice(FImpl->FDevice);
    FImpl->CutLocked();
    FImpl->FCur = pcm;
    FImpl->FCurPos = 0;
    generation = ++FImpl->FGeneration;
    SDL_UnlockAudioDevice(FImpl->FDevice);
  }
  if (!wait) return;
  // A device that stops consuming (its server went away) must not hold the
  // caller for ever: wait at most the sound's length and a second more.
  std::unique_lock<std::mutex> g(FImpl->FDoneLock);
  FImpl->FDoneChanged.wait_for(g, length + std::chrono::seconds(1),
                               [&] { return FImpl->FDone.load() >= generation; });
}

bool TSdlSoundOutput::Playing() {
  std::lock_guard<std::mutex> g(FImpl->FOpenLock);
  if (FImpl->FDevice == 0) return false;
  SDL_LockAudioDevice(FImpl->FDevice);
  const bool playing = FImpl->FCur != nullptr;
  SDL_UnlockAudioDevice(FImpl->FDevice);
  return playing;
}

std::uint32_t TSdlSoundOutput::DecodedLength(const std::string& name) {
  if (!FImpl->Open()) return 0;
  std::uint64_t epoch = 0;
  const TPcm* pcm = FImpl->Decoded(name, epoch);
  if (pcm == nullptr) return 0;
  std::lock_guard<std::mutex> g(FImpl->FOpenLock);
  if (FImpl->FEpoch != epoch) return 0;
  return std::uint32_t(std::uint64_t(pcm->size()) * 1000 /
                       (std::uint64_t(FImpl->FSpec.freq) * FImpl->FSpec.channels));
}

TSoundOutput& DeviceSoundOutput() {
  static TSdlSoundOutput* player = new TSdlSoundOutput;
  return *player;
}
