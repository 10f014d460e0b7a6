#pragma once
// Multimedia result codes as exceptions. A code chooses class, message format and
// text:
//   1..20       EMMSysError  "Multimedia System Error:\r<text>"
//   32..35      EWaveError   "Wave I/O Error:\r<text>"
//   64..71      EMIDIError   "MIDI Error:\r<text>"
//   1024..1026  EMixerError  "Mixer Error:\r<text>"
//   any other   EMMSysError  "Multimedia System Error #<code in decimal>"
// ("\r" is one carriage return). The texts are translatable (context "mxMMErrs").
#include <QString>
#include <exception>
#include <stdexcept>

#include "platform/MixerDevice.h"

class EMMSysError : public std::runtime_error {
public:
  EMMSysError(TMMResult Code, const QString& Message);
  // The message as shown to the user (what() holds it in UTF-8).
  QString Message() const { return QString::fromUtf8(what()); }
  // The result code the error was made from.
  TMMResult Code() const { return FCode; }

private:
  TMMResult FCode;
};

class EWaveError : public EMMSysError {
public:
  using EMMSysError::EMMSysError;
};

class EMIDIError : public EMMSysError {
public:
  using EMMSysError::EMMSysError;
};

class EMixerError : public EMMSysError {
public:
  using EMMSysError::EMMSysError;
};

// The exception for a result code, of the class the code chooses (rethrow it with
// std::rethrow_exception). Any code, 0 included, gives an error.
std::exception_ptr MMErrorFor(TMMResult Code);

// Returns when Result is 0; otherwise throws MMErrorFor(Result).
void MMCheck(TMMResult Result);
