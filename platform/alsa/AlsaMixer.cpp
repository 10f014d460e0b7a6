#include "platform/alsa/AlsaMixer.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

void Quiet(const char*, int, const char*, int, const char*, ...) {}

enum class TDirection : std::uint8_t { Playback, Capture };
enum class TKind : std::uint8_t { Volume, Mute };

constexpr std::uint32_t DstSpeakers = mlcDstFirst + 4;
constexpr std::uint32_t DstWaveIn = mlcDstFirst + 7;

// Source types by the start of an element's name (case ignored), first match wins.
constexpr std::array<std::pair<std::string_view, std::uint32_t>, 17> SourceNames{{
    {"PC Speaker", 7}, {"PCM", 8},     {"Wave", 8},     {"Line", 2},    {"Mic", 3},     {"CD", 5},
    {"Synth", 4},      {"MIDI", 4},    {"Phone", 6},    {"Beep", 7},    {"Aux", 9},     {"IEC958", 1},
    {"S/PDIF", 1},     {"SPDIF", 1},   {"Digital", 1},  {"Analog", 10}, {"Video", 10},
}};

std::uint32_t SourceTypeOf(std::string_view name) {
  for (const auto& [prefix, type] : SourceNames) {
    if (name.size() < prefix.size()) continue;
    if (std::equal(prefix.begin(), prefix.end(), name.begin(),
                   [](char a, char b) { return std::tolower(unsigned(a)) == std::tolower(unsigned(b)); }))
      return mlcSrcFirst + type;
  }
  return mlcSrcFirst;
}

// At most 15 bytes, not cutting a UTF-8 sequence.
std::string ShortNameOf(const std::string& name) {
  if (name.size() <= 15) return name;
  std::size_t n = 15;
  while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

std::string ElementName(snd_mixer_elem_t* e) {
  std::string name = snd_mixer_selem_get_name(e);
  if (const unsigned index = snd_mixer_selem_get_index(e); index > 0) name += ", " + std::to_string(index);
  return name;
}

bool HasVolume(snd_mixer_elem_t* e, TDirection d) {
  return d == TDirection::Playback ? snd_mixer_selem_has_playback_volume(e) : snd_mixer_selem_has_capture_volume(e);
}
bool HasSwitch(snd_mixer_elem_t* e, TDirection d) {
  return d == TDirection::Playback ? snd_mixer_selem_has_playback_switch(e) : snd_mixer_selem_has_capture_switch(e);
}
bool InDirection(snd_mixer_elem_t* e, TDirection d) { return HasVolume(e, d) || HasSwitch(e, d); }

std::vector<snd_mixer_selem_channel_id_t> ChannelsOf(snd_mixer_elem_t* e, TDirection d) {
  const bool mono = d == TDirection::Playback ? snd_mixer_selem_is_playback_mono(e) : snd_mixer_selem_is_capture_mono(e);
  std::vector<snd_mixer_selem_channel_id_t> channels;
  if (!mono) {
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
      const auto ch = static_cast<snd_mixer_selem_channel_id_t>(c);
      if (d == TDirection::Playback ? snd_mixer_selem_has_playback_channel(e, ch)
                                    : snd_mixer_selem_has_capture_channel(e, ch))
        channels.push_back(ch);
    }
  }
  if (channels.empty()) channels.push_back(SND_MIXER_SCHN_MONO);
  return channels;
}

std::vector<int> Cards() {
  std::vector<int> cards;
  int card = -1;
  while (snd_card_next(&card) == 0 && card >= 0) cards.push_back(card);
  return cards;
}

// One open ALSA mixer with the lines and controls built from its elements.
class TAlsaMixer final : public TMixerHandle {
public:
  TAlsaMixer(snd_mixer_t* mixer, std::string productName) : FMixer(mixer), FProductName(std::move(productName)) {
    Build();
  }

  ~TAlsaMixer() override {
    FNotifiers.clear();
    // Closing frees the elements, which would report their removal to us.
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(FMixer); e; e = snd_mixer_elem_next(e))
      snd_mixer_elem_set_callback(e, nullptr);
    snd_mixer_close(FMixer);
  }

  // Watches the mixer's poll descriptors; notifications go to window.
  void Listen(TMixerNotifyWindow& window) {
    FWindow = &window;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(FMixer); e; e = snd_mixer_elem_next(e)) {
      snd_mixer_elem_set_callback_private(e, this);
      snd_mixer_elem_set_callback(e, &TAlsaMixer::ElementEvent);
    }
    const int count = snd_mixer_poll_descriptors_count(FMixer);
    if (count <= 0) return;
    FPollFds.resize(std::size_t(count));
    if (snd_mixer_poll_descriptors(FMixer, FPollFds.data(), unsigned(count)) < 0) {
      FPollFds.clear();
      return;
    }
    for (const pollfd& p : FPollFds) {
      auto n = std::make_unique<QSocketNotifier>(p.fd, QSocketNotifier::Read);
      QObject::connect(n.get(), &QSocketNotifier::activated, n.get(), [this] { Activated(); });
      FNotifiers.push_back(std::move(n));
    }
  }

  std::uint32_t DestinationCount() const { return std::uint32_t(FDestinations.size()); }

  TMMResult GetDevCaps(TMixerCaps& caps) override {
    caps.ProductName = FProductName;
    caps.Destinations = DestinationCount();
    return mmNoError;
  }

  TMMResult GetDestination(std::uint32_t d, TMixerLineInfo& info) override {
    if (d >= FDestinations.size()) return mixInvalidLine;
    info = Record(FDestinations[d].Line);
    return mmNoError;
  }

  TMMResult GetSource(std::uint32_t d, std::uint32_t s, TMixerLineInfo& info) override {
    if (d >= FDestinations.size() || s >= FDestinations[d].Sources.size()) return mixInvalidLine;
    info = Record(FDestinations[d].Sources[s]);
    return mmNoError;
  }

  TMMResult GetLineByID(std::uint32_t id, TMixerLineInfo& info) override {
    const std::optional<std::size_t> line = LineOf(id);
    if (!line) return mixInvalidLine;
    info = Record(*line);
    return mmNoError;
  }

  TMMResult GetLineControls(std::uint32_t id, std::span<TMixerControlInfo> controls) override {
    const std::optional<std::size_t> line = LineOf(id);
    if (!line) return mixInvalidLine;
    const TLine& l = FLines[*line];
    if (controls.size() != l.Controls.size()) return mmInvalidParam;
    for (std::size_t i = 0; i < controls.size(); ++i) controls[i] = FControls[l.Controls[i]].Info;
    return mmNoError;
  }

  TMMResult GetControlDetails(const TMixerControlDetails& details) override {
    std::size_t control = 0;
    if (const TMMResult r = Check(details, control); r != mmNoError) return r;
    const std::vector<std::uint32_t> now = Read(FControls[control]);
    for (std::uint32_t k = 0; k < details.Channels; ++k) details.Values[k] = now[k];
    FControls[control].Last = now;
    return mmNoError;
  }

  TMMResult GetListTexts(const TMixerControlDetails& details, std::span<TMixerListText>) override {
    // No element is shown as a list control.
    return ControlOf(details.ControlID) ? mmNotSupported : mixInvalidControl;
  }

  TMMResult SetControlDetails(const TMixerControlDetails& details) override {
    std::size_t control = 0;
    if (const TMMResult r = Check(details, control); r != mmNoError) return r;
    TControl& c = FControls[control];
    const TLine& line = FLines[c.Line];
    snd_mixer_elem_t* e = line.Elem;
    const bool playback = line.Direction == TDirection::Playback;
    for (std::uint32_t k = 0; k < details.Channels; ++k) {
      const std::uint32_t v = details.Values[k];
      if (c.Kind == TKind::Volume && (v < c.Info.Minimum || v > c.Info.Maximum)) return mixInvalidValue;
    }
    int err = 0;
    for (std::uint32_t k = 0; k < details.Channels && err >= 0; ++k) {
      const std::uint32_t v = details.Values[k];
      const long raw = long(v) + c.Offset;
      const int on = v == 0 ? 1 : 0;  // a mute value of 0 means the switch is on
      if (details.Channels == 1) {
        if (c.Kind == TKind::Volume)
          err = playback ? snd_mixer_selem_set_playback_volume_all(e, raw) : snd_mixer_selem_set_capture_volume_all(e, raw);
        else
          err = playback ? snd_mixer_selem_set_playback_switch_all(e, on) : snd_mixer_selem_set_capture_switch_all(e, on);
      } else {
        const snd_mixer_selem_channel_id_t ch = line.Channels[k];
        if (c.Kind == TKind::Volume)
          err = playback ? snd_mixer_selem_set_playback_volume(e, ch, raw) : snd_mixer_selem_set_capture_volume(e, ch, raw);
        else
          err = playback ? snd_mixer_selem_set_playback_switch(e, ch, on) : snd_mixer_selem_set_capture_switch(e, ch, on);
      }
    }
    c.Last = Read(c);
    return err < 0 ? TAlsaMixerDriver::CallResult(err) : mmNoError;
  }

private:
  struct TLine {
    snd_mixer_elem_t* Elem = nullptr;  // none once the element was removed
    TDirection Direction = TDirection::Playback;
    TMixerLineInfo Info;
    std::vector<snd_mixer_selem_channel_id_t> Channels;
    std::vector<std::size_t> Controls;  // into FControls
  };
  struct TControl {
    std::size_t Line = 0;
    TKind Kind = TKind::Volume;
    long Offset = 0;  // raw ALSA value = value + Offset
    TMixerControlInfo Info;
    std::vector<std::uint32_t> Last;  // every channel, as last read or written here
  };
  struct TDestination {
    std::size_t Line = 0;
    std::vector<std::size_t> Sources;
  };

  void Build() {
    std::vector<snd_mixer_elem_t*> playback, capture;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(FMixer); e; e = snd_mixer_elem_next(e)) {
      if (InDirection(e, TDirection::Playback)) playback.push_back(e);
      if (InDirection(e, TDirection::Capture)) capture.push_back(e);
    }
    AddDestination(playback, TDirection::Playback, "Master", DstSpeakers);
    AddDestination(capture, TDirection::Capture, "Capture", DstWaveIn);
  }

  void AddDestination(const std::vector<snd_mixer_elem_t*>& elements, TDirection dir, std::string_view mainName,
                      std::uint32_t componentType) {
    if (elements.empty()) return;
    snd_mixer_elem_t* main = elements.front();
    for (snd_mixer_elem_t* e : elements)
      if (snd_mixer_selem_get_index(e) == 0 && snd_mixer_selem_get_name(e) == mainName) {
        main = e;
        break;
      }
    const std::uint32_t d = std::uint32_t(FDestinations.size());
    TDestination dest;
    dest.Line = AddLine(main, dir, d, 0, d, 0, componentType);
    for (snd_mixer_elem_t* e : elements) {
      if (e == main) continue;
      const std::uint32_t s = std::uint32_t(dest.Sources.size());
      dest.Sources.push_back(AddLine(e, dir, d, s, ((s + 1) << 16) | d, mlfSource, SourceTypeOf(snd_mixer_selem_get_name(e))));
    }
    FLines[dest.Line].Info.Connections = std::uint32_t(dest.Sources.size());
    FDestinations.push_back(std::move(dest));
  }

  std::size_t AddLine(snd_mixer_elem_t* e, TDirection dir, std::uint32_t d, std::uint32_t s, std::uint32_t id,
                      std::uint32_t flags, std::uint32_t componentType) {
    const std::size_t index = FLines.size();
    TLine line;
    line.Elem = e;
    line.Direction = dir;
    line.Channels = ChannelsOf(e, dir);
    line.Info.Destination = d;
    line.Info.Source = s;
    line.Info.LineID = id;
    line.Info.Flags = flags;
    line.Info.ComponentType = componentType;
    line.Info.Channels = std::uint32_t(line.Channels.size());
    line.Info.Name = ElementName(e);
    line.Info.ShortName = ShortNameOf(line.Info.Name);
    FLines.push_back(std::move(line));
    const bool playback = dir == TDirection::Playback;
    if (HasVolume(e, dir)) {
      long min = 0, max = 0;
      if (playback) snd_mixer_selem_get_playback_volume_range(e, &min, &max);
      else snd_mixer_selem_get_capture_volume_range(e, &min, &max);
      TControl c;
      c.Kind = TKind::Volume;
      c.Offset = min < 0 ? min : 0;
      c.Info.ControlType = mctVolume;
      c.Info.Minimum = std::uint32_t(min - c.Offset);
      c.Info.Maximum = std::uint32_t(std::max(min, max) - c.Offset);
      c.Info.Steps = c.Info.Maximum - c.Info.Minimum;
      const bool joined = playback ? snd_mixer_selem_has_playback_volume_joined(e) : snd_mixer_selem_has_capture_volume_joined(e);
      c.Info.Flags = joined ? mcfUniform : 0;
      AddControl(index, std::move(c), "Volume");
    }
    if (HasSwitch(e, dir)) {
      TControl c;
      c.Kind = TKind::Mute;
      c.Info.ControlType = mctMute;
      c.Info.Minimum = 0;
      c.Info.Maximum = 1;
      c.Info.Steps = 1;
      const bool joined = playback ? snd_mixer_selem_has_playback_switch_joined(e) : snd_mixer_selem_has_capture_switch_joined(e);
      c.Info.Flags = joined ? mcfUniform : 0;
      AddControl(index, std::move(c), "Mute");
    }
    FLines[index].Info.Controls = std::uint32_t(FLines[index].Controls.size());
    return index;
  }

  void AddControl(std::size_t line, TControl c, const char* what) {
    c.Line = line;
    c.Info.ControlID = std::uint32_t(FControls.size() + 1);
    c.Info.Name = FLines[line].Info.Name + " " + what;
    c.Info.ShortName = what;
    c.Last = Read(c);
    FLines[line].Controls.push_back(FControls.size());
    FControls.push_back(std::move(c));
  }

  // The record as it is now: active as ALSA says, disconnected once removed.
  TMixerLineInfo Record(std::size_t line) const {
    const TLine& l = FLines[line];
    TMixerLineInfo info = l.Info;
    info.Flags &= ~(mlfActive | mlfDisconnected);
    if (l.Elem == nullptr) info.Flags |= mlfDisconnected;
    else if (snd_mixer_selem_is_active(l.Elem)) info.Flags |= mlfActive;
    return info;
  }

  std::optional<std::size_t> LineOf(std::uint32_t id) const {
    for (std::size_t i = 0; i < FLines.size(); ++i)
      if (FLines[i].Info.LineID == id) return i;
    return std::nullopt;
  }
  std::optional<std::size_t> ControlOf(std::uint32_t id) const {
    if (id == 0 || id > FControls.size()) return std::nullopt;
    return std::size_t(id - 1);
  }

  TMMResult Check(const TMixerControlDetails& details, std::size_t& control) const {
    const std::optional<std::size_t> c = ControlOf(details.ControlID);
    if (!c) return mixInvalidControl;
    const TLine& line = FLines[FControls[*c].Line];
    if (line.Elem == nullptr) return mixInvalidControl;
    if (details.ValueSize != 4 || details.MultipleItems != 0) return mmInvalidParam;
    if (details.Channels != 1 && details.Channels != line.Channels.size()) return mmInvalidParam;
    if (details.Values.size() < details.Channels) return mmInvalidParam;
    control = *c;
    return mmNoError;
  }

  // The values of every channel of the line, from ALSA's cache of the element.
  std::vector<std::uint32_t> Read(const TControl& c) const {
    const TLine& line = FLines[c.Line];
    std::vector<std::uint32_t> values(line.Channels.size(), 0);
    if (line.Elem == nullptr) return values;
    const bool playback = line.Direction == TDirection::Playback;
    for (std::size_t k = 0; k < values.size(); ++k) {
      const snd_mixer_selem_channel_id_t ch = line.Channels[k];
      if (c.Kind == TKind::Volume) {
        long v = 0;
        if (playback) snd_mixer_selem_get_playback_volume(line.Elem, ch, &v);
        else snd_mixer_selem_get_capture_volume(line.Elem, ch, &v);
        values[k] = std::uint32_t(v - c.Offset);
      } else {
        int on = 1;
        if (playback) snd_mixer_selem_get_playback_switch(line.Elem, ch, &on);
        else snd_mixer_selem_get_capture_switch(line.Elem, ch, &on);
        values[k] = on ? 0 : 1;
      }
    }
    return values;
  }

  static int ElementEvent(snd_mixer_elem_t* e, unsigned int mask) {
    static_cast<TAlsaMixer*>(snd_mixer_elem_get_callback_private(e))->Changed(e, mask);
    return 0;
  }

  // Runs inside snd_mixer_handle_events: notes what to report afterwards. The
  // element is valid only until this returns when it is being removed.
  void Changed(snd_mixer_elem_t* e, unsigned int mask) {
    for (std::size_t i = 0; i < FLines.size(); ++i) {
      TLine& line = FLines[i];
      if (line.Elem != e) continue;
      if (mask == SND_CTL_EVENT_MASK_REMOVE) {
        line.Elem = nullptr;
        Post(mmMixmLineChange, line.Info.LineID);
        continue;
      }
      if (mask & SND_CTL_EVENT_MASK_INFO) Post(mmMixmLineChange, line.Info.LineID);
      if (mask & SND_CTL_EVENT_MASK_VALUE)
        for (std::size_t c : line.Controls) {
          std::vector<std::uint32_t> now = Read(FControls[c]);
          if (now == FControls[c].Last) continue;
          FControls[c].Last = std::move(now);
          Post(mmMixmControlChange, FControls[c].Info.ControlID);
        }
    }
  }

  void Post(std::uint32_t message, std::uint32_t id) {
    const std::pair<std::uint32_t, std::uint32_t> m{message, id};
    if (std::find(FPending.begin(), FPending.end(), m) == FPending.end()) FPending.push_back(m);
  }

  void Activated() {
    for (pollfd& p : FPollFds) p.revents = 0;
    if (poll(FPollFds.data(), nfds_t(FPollFds.size()), 0) < 0) return;
    unsigned short revents = 0;
    snd_mixer_poll_descriptors_revents(FMixer, FPollFds.data(), unsigned(FPollFds.size()), &revents);
    bool gone = (revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    if (!gone && (revents & POLLIN) != 0) gone = snd_mixer_handle_events(FMixer) < 0;
    // A device that went away would wake us for ever.
    if (gone)
      for (auto& n : FNotifiers) n->setEnabled(false);
    Deliver();
  }

  // Reports what was noted, after ALSA's event handling has returned, so a
  // receiver may call the handle again, or close it.
  void Deliver() {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pending;
    pending.swap(FPending);
    const std::weak_ptr<int> alive = FAlive;
    for (const auto& [message, id] : pending) {
      FWindow->MixerMessage(message, id);
      if (alive.expired()) return;
    }
  }

  snd_mixer_t* FMixer;
  std::string FProductName;
  std::vector<TLine> FLines;
  std::vector<TControl> FControls;
  std::vector<TDestination> FDestinations;
  TMixerNotifyWindow* FWindow = nullptr;
  std::vector<pollfd> FPollFds;
  std::vector<std::unique_ptr<QSocketNotifier>> FNotifiers;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> FPending;
  std::shared_ptr<int> FAlive = std::make_shared<int>(0);
};

// Opens, registers and loads the simple elements of the named device.
TMMResult OpenMixer(const std::string& name, std::unique_ptr<TAlsaMixer>& out) {
  if (name.empty()) return mmBadDeviceID;
  snd_mixer_t* mixer = nullptr;
  int err = snd_mixer_open(&mixer, 0);
  if (err < 0) return TAlsaMixerDriver::OpenResult(err);
  err = snd_mixer_attach(mixer, name.c_str());
  if (err >= 0) err = snd_mixer_selem_register(mixer, nullptr, nullptr);
  if (err >= 0) err = snd_mixer_load(mixer);
  if (err < 0) {
    snd_mixer_close(mixer);
    return TAlsaMixerDriver::OpenResult(err);
  }
  std::string product;
  snd_hctl_t* hctl = nullptr;
  snd_ctl_card_info_t* info = nullptr;
  if (snd_mixer_get_hctl(mixer, name.c_str(), &hctl) >= 0 && snd_ctl_card_info_malloc(&info) >= 0) {
    if (snd_ctl_card_info(snd_hctl_ctl(hctl), info) >= 0) product = snd_ctl_card_info_get_name(info);
    snd_ctl_card_info_free(info);
  }
  out = std::make_unique<TAlsaMixer>(mixer, std::move(product));
  return mmNoError;
}

}  // namespace

TAlsaMixerDriver::TAlsaMixerDriver() { snd_lib_error_set_handler(&Quiet); }

TMixerDriver& DeviceMixerDriver() {
  static TAlsaMixerDriver* driver = new TAlsaMixerDriver;
  return *driver;
}

std::uint32_t TAlsaMixerDriver::DeviceCount() { return 1 + std::uint32_t(Cards().size()); }

std::string TAlsaMixerDriver::DeviceName(std::uint32_t device) {
  if (device == 0) return "default";
  const std::vector<int> cards = Cards();
  if (device - 1 >= cards.size()) return {};
  return "hw:" + std::to_string(cards[device - 1]);
}

TMMResult TAlsaMixerDriver::GetDevCaps(std::uint32_t device, TMixerCaps& caps) {
  std::unique_ptr<TAlsaMixer> mixer;
  if (const TMMResult r = OpenMixer(DeviceName(device), mixer); r != mmNoError) return r;
  return mixer->GetDevCaps(caps);
}

TMMResult TAlsaMixerDriver::Open(std::uint32_t device, TMixerNotifyWindow& window, std::unique_ptr<TMixerHandle>& handle) {
  std::unique_ptr<TAlsaMixer> mixer;
  if (const TMMResult r = OpenMixer(DeviceName(device), mixer); r != mmNoError) return r;
  mixer->Listen(window);
  handle = std::move(mixer);
  return mmNoError;
}

TMMResult TAlsaMixerDriver::OpenResult(int err) {
  switch (-err) {
    case ENOENT: case ENODEV: case ENXIO: case ECONNREFUSED: case ECONNRESET: case ENOTCONN:
    case EHOSTDOWN: case EHOSTUNREACH: case ETIMEDOUT:
      return mmBadDeviceID;
    case EBUSY: return mmAllocated;
    case ENOMEM: return mmNoMem;
    case EINVAL: return mmInvalidParam;
    default: return mmUnspecified;
  }
}

TMMResult TAlsaMixerDriver::CallResult(int err) {
  switch (-err) {
    case ENODEV: case ENXIO: case EBADFD: case EPIPE: case EIO: case ENOTCONN: case ECONNRESET:
      return mmInvalidHandle;
    case ENOENT: return mixInvalidControl;
    case EBUSY: return mmAllocated;
    case ENOMEM: return mmNoMem;
    case EINVAL: return mmInvalidParam;
    default: return mmUnspecified;
  }
}
