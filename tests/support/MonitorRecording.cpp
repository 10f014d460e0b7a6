#include "support/MonitorRecording.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

bool TMonitorRecording::Start() {
  int fds[2];
  if (pipe(fds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  const std::string rate = "--rate=" + std::to_string(Rate);
  const char* argv[] = {"parec", "-d", FSource.c_str(), "--raw", "--format=s16le", "--channels=1",
                        rate.c_str(), "--latency-msec=10", nullptr};
  const int rc = posix_spawnp(&FPid, "parec", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    FPid = 0;
    close(fds[0]);
    return false;
  }
  FFd = fds[0];
  FReader = std::thread([this] {
    std::int16_t buf[4096];
    for (;;) {
      const ssize_t got = read(FFd, buf, sizeof buf);
      if (got <= 0) break;
      std::lock_guard<std::mutex> g(FLock);
      FSamples.insert(FSamples.end(), buf, buf + got / 2);
    }
  });
  for (int i = 0; i < 500 && Count() < Rate / 10; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return Count() >= Rate / 10;
}

std::size_t TMonitorRecording::Count() {
  std::lock_guard<std::mutex> g(FLock);
  return FSamples.size();
}

std::vector<double> TMonitorRecording::Stop() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
    FPid = 0;
  }
  if (FReader.joinable()) FReader.join();
  if (FFd >= 0) close(FFd);
  FFd = -1;
  std::vector<double> v;
  std::lock_guard<std::mutex> g(FLock);
  v.reserve(FSamples.size());
  for (std::int16_t s : FSamples) v.push_back(s / 32768.0);
  return v;
}

std::vector<double> Envelope(const std::vector<double>& Samples, double Rate) {
  const std::size_t w = std::size_t(Rate * EnvelopeWindowMs / 1000);
  std::vector<double> env;
  for (std::size_t at = 0; at + w <= Samples.size(); at += w) {
    double e = 0;
    for (std::size_t i = at; i < at + w; ++i) e += Samples[i] * Samples[i];
    env.push_back(std::sqrt(e / double(w)));
  }
  return env;
}

std::pair<double, std::size_t> FindEnvelope(const std::vector<double>& Env, const std::vector<double>& Pattern,
                                            std::size_t From, std::size_t To) {
  double best = -1;
  std::size_t at = 0;
  double pp = 0;
  for (double p : Pattern) pp += p * p;
  for (std::size_t lag = From; lag <= To && lag + Pattern.size() <= Env.size(); ++lag) {
    double xy = 0, xx = 0;
    for (std::size_t i = 0; i < Pattern.size(); ++i) {
      xy += Env[lag + i] * Pattern[i];
      xx += Env[lag + i] * Env[lag + i];
    }
    const double c = xx > 0 ? xy / std::sqrt(xx * pp) : 0;
    if (c > best) best = c, at = lag;
  }
  return {best, at};
}

double Decibels(double Value) { return 20 * std::log10(std::max(Value, 1e-9)); }
