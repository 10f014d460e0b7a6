#pragma once
// What a PulseAudio sink played, recorded from its monitor with parec as 16-bit
// mono samples at Rate, on a thread of its own so that the pipe never fills; and
// the envelope arithmetic that finds a known sound in such a recording whatever
// the resampling on the way through the server did to it.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

class TMonitorRecording {
public:
  static constexpr int Rate = 44100;

  // Source: a PulseAudio source name, e.g. "<sink>.monitor" or "@DEFAULT_MONITOR@".
  explicit TMonitorRecording(std::string Source) : FSource(std::move(Source)) {}
  ~TMonitorRecording() { Stop(); }
  TMonitorRecording(const TMonitorRecording&) = delete;
  TMonitorRecording& operator=(const TMonitorRecording&) = delete;

  // Starts parec and returns once samples arrive (the monitor sends silence at
  // once); false when it cannot record.
  bool Start();
  // Ends the recording; the samples from -1 to 1.
  std::vector<double> Stop();

private:
  std::size_t Count();

  std::string FSource;
  pid_t FPid = 0;
  int FFd = -1;
  std::thread FReader;
  std::mutex FLock;
  std::vector<std::int16_t> FSamples;
};

// Width of an envelope window in milliseconds.
constexpr double EnvelopeWindowMs = 5;
// RMS in windows of EnvelopeWindowMs of samples at Rate.
std::vector<double> Envelope(const std::vector<double>& Samples, double Rate);
// The best normalised correlation of Pattern within Env for a start window from
// From to To, and that window.
std::pair<double, std::size_t> FindEnvelope(const std::vector<double>& Env, const std::vector<double>& Pattern,
                                            std::size_t From, std::size_t To = SIZE_MAX);
// Level in decibels of a value relative to full scale.
double Decibels(double Value);
