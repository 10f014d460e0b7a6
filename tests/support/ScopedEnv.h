#pragma once
// Sets environment variables for one scope and restores them after (a null value
// unsets). The process environment is shared: use it on the test's own thread.
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TScopedEnv {
public:
  TScopedEnv(std::initializer_list<std::pair<const char*, const char*>> Vars) {
    for (const auto& [name, value] : Vars) {
      const char* old = std::getenv(name);
      FSaved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
      if (value) setenv(name, value, 1);
      else unsetenv(name);
    }
  }
  ~TScopedEnv() {
    for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it) {
      if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
      else unsetenv(it->first.c_str());
    }
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};
