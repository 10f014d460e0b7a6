#pragma once
// Real-server tests of the volume: a null sink of their own on the test command's
// private PulseAudio server (scripts/sound-server.sh exports PULSE_SERVER), with
// ALSA's "default" control device and the default playback sink pointed at it
// while the object lives.
//
// A sink of its own, because test programs run in parallel and other checkouts
// may share the server: a test that sets the volume of the server's default sink
// would change what the others play and record. ALSA is pointed at it through an
// ALSA_CONFIG_PATH of our own (the system's configuration plus one late
// definition of ctl.default), not through ~/.asoundrc, so that nothing outside
// this process changes, and whatever the distribution's own hooks (PulseAudio,
// PipeWire) say, the mixer reaches exactly this sink.
#include <QTemporaryDir>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/ScopedEnv.h"

// Runs a program (searched on PATH) with arguments; its exit code (-1 when it could
// not run) and standard output.
struct TCommandResult {
  int ExitCode = -1;
  std::string Output;
};
TCommandResult RunCommand(const std::vector<std::string>& Argv);

// Points ALSA's default control device at the PulseAudio sink Device ("" for the
// server's default sink) while it lives.
class TAlsaDefaultOnPulse {
public:
  explicit TAlsaDefaultOnPulse(const std::string& Device);
  bool Ok() const { return FOk; }

private:
  QTemporaryDir FDir;
  bool FOk = false;
  std::optional<TScopedEnv> FEnv;
};

class TPulseTestSink {
public:
  // Loads the sink (2 channels) and points ALSA and new playback streams at it.
  TPulseTestSink();
  // Unloads the sink and restores the environment.
  ~TPulseTestSink();
  TPulseTestSink(const TPulseTestSink&) = delete;
  TPulseTestSink& operator=(const TPulseTestSink&) = delete;

  // Empty when the sink is ready; otherwise why it is not (for GTEST_SKIP).
  const std::string& Unavailable() const { return FUnavailable; }
  const std::string& Name() const { return FName; }

  // Raw PulseAudio volumes (65536 = 100 %), through pactl.
  bool SetVolume(std::uint32_t Left, std::uint32_t Right);
  // The channel volumes pactl reports; empty when it cannot tell.
  std::vector<std::uint32_t> Volume();
  bool SetMute(bool Muted);
  std::optional<bool> Muted();

private:
  std::string FUnavailable;
  std::string FName;
  std::string FModule;
  std::optional<TAlsaDefaultOnPulse> FAlsa;
  std::optional<TScopedEnv> FEnv;
};
