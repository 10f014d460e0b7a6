// Multimedia result codes as exceptions: class, message format and text of every
// code, and the form for codes without a text.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "sound/mxMMErrs.h"

namespace {

enum class TClass { MMSys, Wave, MIDI, Mixer };

const char* NameOf(TClass c) {
  switch (c) {
    case TClass::MMSys: return "EMMSysError";
    case TClass::Wave: return "EWaveError";
    case TClass::MIDI: return "EMIDIError";
    case TClass::Mixer: return "EMixerError";
  }
  return "?";
}

TClass ClassOf(const EMMSysError& e) {
  if (typeid(e) == typeid(EWaveError)) return TClass::Wave;
  if (typeid(e) == typeid(EMIDIError)) return TClass::MIDI;
  if (typeid(e) == typeid(EMixerError)) return TClass::Mixer;
  EXPECT_EQ(typeid(e), typeid(EMMSysError)) << "an exception class of its own";
  return TClass::MMSys;
}

struct TErrorCase {
  TMMResult Code;
  TClass Class;
  const char* Message;
};

void PrintTo(const TErrorCase& c, std::ostream* os) { *os << "code " << c.Code << " (" << NameOf(c.Class) << ")"; }

// Every code of the text table, the ends of the ranges and codes just outside them.
const TErrorCase ErrorCases[] = {
    {1, TClass::MMSys, "Multimedia System Error:\rUnspecified error"},
    {2, TClass::MMSys, "Multimedia System Error:\rDevice ID out of range"},
    {3, TClass::MMSys, "Multimedia System Error:\rDriver failed enable"},
    {4, TClass::MMSys, "Multimedia System Error:\rDevice already allocated"},
    {5, TClass::MMSys, "Multimedia System Error:\rDevice handle is invalid"},
    {6, TClass::MMSys, "Multimedia System Error:\rNo device driver present"},
    {7, TClass::MMSys, "Multimedia System Error:\rMemory allocation error"},
    {8, TClass::MMSys, "Multimedia System Error:\rFunction isn't supported"},
    {9, TClass::MMSys, "Multimedia System Error:\rError value out of range"},
    {10, TClass::MMSys, "Multimedia System Error:\rInvalid flag passed"},
    {11, TClass::MMSys, "Multimedia System Error:\rInvalid parameter passed"},
    {12, TClass::MMSys, "Multimedia System Error:\rHandle being used simultaneously on another thread (eg callback)"},
    {13, TClass::MMSys, "Multimedia System Error:\rSpecified alias not found"},
    {14, TClass::MMSys, "Multimedia System Error:\rBad registry database"},
    {15, TClass::MMSys, "Multimedia System Error:\rRegistry key not found"},
    {16, TClass::MMSys, "Multimedia System Error:\rRegistry read error"},
    {17, TClass::MMSys, "Multimedia System Error:\rRegistry write error"},
    {18, TClass::MMSys, "Multimedia System Error:\rRegistry delete error"},
    {19, TClass::MMSys, "Multimedia System Error:\rRegistry value not found"},
    {20, TClass::MMSys, "Multimedia System Error:\rDriver does not call DriverCallback"},
    {32, TClass::Wave, "Wave I/O Error:\runsupported wave format"},
    {33, TClass::Wave, "Wave I/O Error:\rThere are still buffers in the queue"},
    {34, TClass::Wave, "Wave I/O Error:\rwave buffer not prepared"},
    {35, TClass::Wave, "Wave I/O Error:\rdevice is synchronous"},
    {64, TClass::MIDI, "MIDI Error:\rMIDI buffer not prepared"},
    {65, TClass::MIDI, "MIDI Error:\rThere are still buffers in the queue"},
    {66, TClass::MIDI, "MIDI Error:\rNo current map"},
    {67, TClass::MIDI, "MIDI Error:\rDevice still busy"},
    {68, TClass::MIDI, "MIDI Error:\rNo device found"},
    {69, TClass::MIDI, "MIDI Error:\rInvalid setup"},
    {70, TClass::MIDI, "MIDI Error:\rThe application sent a message without a status byte to a stream handle"},
    {71, TClass::MIDI, "MIDI Error:\rthru device 'eating' a message"},
    {1024, TClass::Mixer, "Mixer Error:\rInvalid mixer line"},
    {1025, TClass::Mixer, "Mixer Error:\rInvalid mixer control"},
    {1026, TClass::Mixer, "Mixer Error:\rInvalid value"},
    // No text: the numbered form, whichever range the code is near.
    {0, TClass::MMSys, "Multimedia System Error #0"},
    {21, TClass::MMSys, "Multimedia System Error #21"},
    {31, TClass::MMSys, "Multimedia System Error #31"},
    {36, TClass::MMSys, "Multimedia System Error #36"},
    {63, TClass::MMSys, "Multimedia System Error #63"},
    {72, TClass::MMSys, "Multimedia System Error #72"},
    {500, TClass::MMSys, "Multimedia System Error #500"},
    {1023, TClass::MMSys, "Multimedia System Error #1023"},
    {1027, TClass::MMSys, "Multimedia System Error #1027"},
    {4294967295u, TClass::MMSys, "Multimedia System Error #4294967295"},
};

class MMError : public ::testing::TestWithParam<TErrorCase> {};

TEST_P(MMError, HasTheClassAndMessageOfItsCode) {
  const TErrorCase& c = GetParam();
  try {
    std::rethrow_exception(MMErrorFor(c.Code));
  } catch (const EMMSysError& e) {
    EXPECT_EQ(ClassOf(e), c.Class) << "thrown as " << typeid(e).name();
    EXPECT_EQ(std::string(e.what()), c.Message);
    EXPECT_EQ(e.Message(), QString::fromUtf8(c.Message));
    EXPECT_EQ(e.Code(), c.Code);
    return;
  }
  ADD_FAILURE() << "not an EMMSysError";
}

INSTANTIATE_TEST_SUITE_P(Codes, MMError, ::testing::ValuesIn(ErrorCases),
                         [](const ::testing::TestParamInfo<TErrorCase>& i) { return "Code" + std::to_string(i.param.Code); });

TEST(MMCheck, PassesSuccessAndRaisesTheErrorOfAnyOtherCode) {
  EXPECT_NO_THROW(MMCheck(mmNoError));
  // The carriage return is a single character between format and text.
  try {
    MMCheck(mmBadDeviceID);
    ADD_FAILURE() << "code 2 passed";
  } catch (const EMixerError&) {
    ADD_FAILURE() << "code 2 is not a mixer error";
  } catch (const EMMSysError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Multimedia System Error:") + QChar(13) + QStringLiteral("Device ID out of range"));
  }
  // Caught as the class the code chooses, and as its base.
  EXPECT_THROW(MMCheck(mixInvalidControl), EMixerError);
  EXPECT_THROW(MMCheck(mixInvalidControl), EMMSysError);
  EXPECT_THROW(MMCheck(33), EWaveError);
  EXPECT_THROW(MMCheck(70), EMIDIError);
  EXPECT_THROW(MMCheck(500), std::runtime_error);
}

}  // namespace
