#include "sound/mxMMErrs.h"

#include <QCoreApplication>
#include <array>

namespace {

struct TCodeText {
  TMMResult Code;
  const char* Text;
};

// Source texts; each is translated when an error is made.
constexpr std::array<TCodeText, 36> Texts{{
    {1, QT_TRANSLATE_NOOP("mxMMErrs", "Unspecified error")},
    {2, QT_TRANSLATE_NOOP("mxMMErrs", "Device ID out of range")},
    {3, QT_TRANSLATE_NOOP("mxMMErrs", "Driver failed enable")},
    {4, QT_TRANSLATE_NOOP("mxMMErrs", "Device already allocated")},
    {5, QT_TRANSLATE_NOOP("mxMMErrs", "Device handle is invalid")},
    {6, QT_TRANSLATE_NOOP("mxMMErrs", "No device driver present")},
    {7, QT_TRANSLATE_NOOP("mxMMErrs", "Memory allocation error")},
    {8, QT_TRANSLATE_NOOP("mxMMErrs", "Function isn't supported")},
    {9, QT_TRANSLATE_NOOP("mxMMErrs", "Error value out of range")},
    {10, QT_TRANSLATE_NOOP("mxMMErrs", "Invalid flag passed")},
    {11, QT_TRANSLATE_NOOP("mxMMErrs", "Invalid parameter passed")},
    {12, QT_TRANSLATE_NOOP("mxMMErrs", "Handle being used simultaneously on another thread (eg callback)")},
    {13, QT_TRANSLATE_NOOP("mxMMErrs", "Specified alias not found")},
    {14, QT_TRANSLATE_NOOP("mxMMErrs", "Bad registry database")},
    {15, QT_TRANSLATE_NOOP("mxMMErrs", "Registry key not found")},
    {16, QT_TRANSLATE_NOOP("mxMMErrs", "Registry read error")},
    {17, QT_TRANSLATE_NOOP("mxMMErrs", "Registry write error")},
    {18, QT_TRANSLATE_NOOP("mxMMErrs", "Registry delete error")},
    {19, QT_TRANSLATE_NOOP("mxMMErrs", "Registry value not found")},
    {20, QT_TRANSLATE_NOOP("mxMMErrs", "Driver does not call DriverCallback")},
    {32, QT_TRANSLATE_NOOP("mxMMErrs", "unsupported wave format")},
    {33, QT_TRANSLATE_NOOP("mxMMErrs", "There are still buffers in the queue")},
    {34, QT_TRANSLATE_NOOP("mxMMErrs", "wave buffer not prepared")},
    {35, QT_TRANSLATE_NOOP("mxMMErrs", "device is synchronous")},
    {64, QT_TRANSLATE_NOOP("mxMMErrs", "MIDI buffer not prepared")},
    {65, QT_TRANSLATE_NOOP("mxMMErrs", "There are still buffers in the queue")},
    {66, QT_TRANSLATE_NOOP("mxMMErrs", "No current map")},
    {67, QT_TRANSLATE_NOOP("mxMMErrs", "Device still busy")},
    {68, QT_TRANSLATE_NOOP("mxMMErrs", "No device found")},
    {69, QT_TRANSLATE_NOOP("mxMMErrs", "Invalid setup")},
    {70, QT_TRANSLATE_NOOP("mxMMErrs", "The application sent a message without a status byte to a stream handle")},
    {71, QT_TRANSLATE_NOOP("mxMMErrs", "thru device 'eating' a message")},
    {1024, QT_TRANSLATE_NOOP("mxMMErrs", "Invalid mixer line")},
    {1025, QT_TRANSLATE_NOOP("mxMMErrs", "Invalid mixer control")},
    {1026, QT_TRANSLATE_NOOP("mxMMErrs", "Invalid value")},
}};

QString Tr(const char* text) { return QCoreApplication::translate("mxMMErrs", text); }

QString TextOf(TMMResult code) {
  for (const TCodeText& t : Texts)
    if (t.Code == code) return Tr(t.Text);
  return {};
}

}  // namespace

EMMSysError::EMMSysError(TMMResult Code, const QString& Message)
    : std::runtime_error(Message.toStdString()), FCode(Code) {}

std::exception_ptr MMErrorFor(TMMResult Code) {
  const QString text = TextOf(Code);
  if (Code >= 1 && Code <= 20) {
    return std::make_exception_ptr(
        EMMSysError(Code, Tr(QT_TRANSLATE_NOOP("mxMMErrs", "Multimedia System Error:\r%1")).arg(text)));
  }
  if (Code >= 32 && Code <= 35)
    return std::make_exception_ptr(EWaveError(Code, Tr(QT_TRANSLATE_NOOP("mxMMErrs", "Wave I/O Error:\r%1")).arg(text)));
  if (Code >= 64 && Code <= 71)
    return std::make_exception_ptr(EMIDIError(Code, Tr(QT_TRANSLATE_NOOP("mxMMErrs", "MIDI Error:\r%1")).arg(text)));
  if (Code >= 1024 && Code <= 1026)
    return std::make_exception_ptr(EMixerError(Code, Tr(QT_TRANSLATE_NOOP("mxMMErrs", "Mixer Error:\r%1")).arg(text)));
  return std::make_exception_ptr(
      EMMSysError(Code, Tr(QT_TRANSLATE_NOOP("mxMMErrs", "Multimedia System Error #%1")).arg(Code)));
}

void MMCheck(TMMResult Result) {
  if (Result != mmNoError) std::rethrow_exception(MMErrorFor(Result));
}
