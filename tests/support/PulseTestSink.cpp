#include "support/PulseTestSink.h"

#include <QFile>
#include <atomic>
#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

TCommandResult RunCommand(const std::vector<std::string>& Argv) {
  TCommandResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : Argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return result;
  }
  char buf[4096];
  for (ssize_t got; (got = read(fds[0], buf, sizeof buf)) > 0;) result.Output.append(buf, std::size_t(got));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TAlsaDefaultOnPulse::TAlsaDefaultOnPulse(const std::string& Device) {
  if (!FDir.isValid()) return;
  // ALSA runs the hooks of its configuration after reading all files, and the
  // distribution's hooks may define ctl.default themselves; a hook of ours comes
  // last and so decides.
  const QString late = FDir.filePath(QStringLiteral("late.conf"));
  const QString top = FDir.filePath(QStringLiteral("asound.conf"));
  QFile lateFile(late), topFile(top);
  if (!lateFile.open(QIODevice::WriteOnly) || !topFile.open(QIODevice::WriteOnly)) return;
  lateFile.write(QStringLiteral("ctl.!default { type pulse device \"%1\" }\n").arg(QString::fromStdString(Device)).toUtf8());
  const char* system = "/usr/share/alsa/alsa.conf";
  if (QFile::exists(QString::fromLatin1(system))) topFile.write(QByteArray("<") + system + ">\n");
  topFile.write(QStringLiteral("@hooks [ { func load files [ \"%1\" ] errors false } ]\n").arg(late).toUtf8());
  lateFile.close();
  topFile.close();
  const std::string path = top.toStdString();
  FEnv.emplace(std::initializer_list<std::pair<const char*, const char*>>{{"ALSA_CONFIG_PATH", path.c_str()}});
  FOk = true;
}

TPulseTestSink::TPulseTestSink() {
  if (std::getenv("PULSE_SERVER") == nullptr) {
    FUnavailable = "PULSE_SERVER is not set (scripts/test.sh starts a private PulseAudio server)";
    return;
  }
  if (RunCommand({"pactl", "info"}).ExitCode != 0) {
    FUnavailable = "no PulseAudio server at PULSE_SERVER, or no pactl";
    return;
  }
  static std::atomic<int> serial{0};
  FName = "zuggle_test_" + std::to_string(getpid()) + "_" + std::to_string(serial++);
  const TCommandResult load =
      RunCommand({"pactl", "load-module", "module-null-sink", "sink_name=" + FName, "channels=2",
                  "sink_properties=device.description=" + FName});
  if (load.ExitCode != 0) {
    FUnavailable = "pactl cannot load a null sink";
    return;
  }
  FModule = load.Output.substr(0, load.Output.find_first_of("\r\n"));
  FAlsa.emplace(FName);
  if (!FAlsa->Ok()) {
    FUnavailable = "cannot write an ALSA configuration";
    return;
  }
  FEnv.emplace(std::initializer_list<std::pair<const char*, const char*>>{{"PULSE_SINK", FName.c_str()}});
}

TPulseTestSink::~TPulseTestSink() {
  FEnv.reset();
  FAlsa.reset();
  if (!FModule.empty()) RunCommand({"pactl", "unload-module", FModule});
}

bool TPulseTestSink::SetVolume(std::uint32_t Left, std::uint32_t Right) {
  return RunCommand({"pactl", "set-sink-volume", FName, std::to_string(Left), std::to_string(Right)}).ExitCode == 0;
}

std::vector<std::uint32_t> TPulseTestSink::Volume() {
  // "Volume: front-left: 30000 /  46% / -20.36 dB,   front-right: 45000 / ..."
  const TCommandResult r = RunCommand({"pactl", "get-sink-volume", FName});
  std::vector<std::uint32_t> volumes;
  if (r.ExitCode != 0) return volumes;
  static const std::regex raw(R"(:\s*(\d+) /)");
  for (auto it = std::sregex_iterator(r.Output.begin(), r.Output.end(), raw); it != std::sregex_iterator(); ++it)
    volumes.push_back(std::uint32_t(std::stoul((*it)[1])));
  return volumes;
}

bool TPulseTestSink::SetMute(bool Muted) {
  return RunCommand({"pactl", "set-sink-mute", FName, Muted ? "1" : "0"}).ExitCode == 0;
}

std::optional<bool> TPulseTestSink::Muted() {
  const TCommandResult r = RunCommand({"pactl", "get-sink-mute", FName});
  if (r.ExitCode != 0) return std::nullopt;
  if (r.Output.find("yes") != std::string::npos) return true;
  if (r.Output.find("no") != std::string::npos) return false;
  return std::nullopt;
}
