// The command slots: one line each into the generic exchanges, driven by the rows of command_table.h.

#include "hid_thread.h"

using namespace j2::cmd;

uchar Hid_Thread::hidCS(const uchar* cmd)
{
    return j2::wire::checksum(cmd);
}

void Hid_Thread::USBDataEncryption(uchar* FIFOBuf, const uchar* SecrecyCode)
{
    j2::wire::SecrecyCode code{};
    std::copy_n(SecrecyCode, code.size(), code.begin());
    j2::wire::scramble(FIFOBuf, code);
}

void Hid_Thread::USBDataDecipher(uchar* FIFOBuf, const uchar* SecrecyCode)
{
    j2::wire::SecrecyCode code{};
    std::copy_n(SecrecyCode, code.size(), code.begin());
    j2::wire::descramble(FIFOBuf, code);
}

void Hid_Thread::hid_00H_GetSecrecyCode(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4)
{
    runRead(GetSecrecyCode, {byte1, byte2, byte3, byte4}, {&byte1, &byte2, &byte3, &byte4});
}

// ---- keyboard family ----

void Hid_Thread::hid_03H_SetReportRate(uchar rate)
{
    runWrite(SetReportRate, {rate});
}

void Hid_Thread::hid_02H_SetCurrentProfile(uchar profile)
{
    runWrite(SetCurrentProfile, {profile});
}

void Hid_Thread::hid_01H_SetKeyboardoption(uchar byte1, uchar byte2)
{
    runWrite(SetKeyboardoption, {byte1, byte2});
}

void Hid_Thread::hid_04H_SetGunData(uchar par0, uchar par1, uchar par2, uchar par3, uchar par4)
{
    runWrite(SetGunData, {par0, par1, par2, par3, par4});
}

void Hid_Thread::hid_07H_SetControlIndicatorLight(uchar effect, uchar frequenty)
{
    runWrite(SetControlIndicatorLight, {effect, frequenty});
}

void Hid_Thread::hid_08H_SetLEDType(uchar option, uchar effect, uchar speed, uchar light, uchar color,
                                    uchar direction)
{
    runWrite(SetLEDType, {option, effect, speed, light, color, direction});
}

void Hid_Thread::hid_09H_SetKeyboardMode(uchar mode)
{
    runWrite(SetKeyboardMode, {mode});
}

void Hid_Thread::hid_0DH_SetKeyMatrix(const uchar* src512)
{
    runWrite(SetKeyMatrix512, {}, src512);
}

void Hid_Thread::hid_0EH_SetKeyOnOff(const uchar* src21)
{
    runWrite(SetKeyOnOff, {}, src21);
}

void Hid_Thread::hid_0EH_SetXYSensitive(uchar par0, uchar par1)
{
    runWrite(SetXYSensitive, {par0, par1});
}

void Hid_Thread::hid_11H_SetMacroKey(uchar macroId, const uchar* src192)
{
    runWrite(SetMacroKey192, {macroId}, src192);
}

void Hid_Thread::hid_12H_SetUserPicture(uchar index, uchar option, const uchar* src512)
{
    runWrite(SetUserPicture, {index, option}, src512);
}

void Hid_Thread::hid_13H_SetRecoveryData()
{
    runWrite(SetRecoveryData, {});
}

void Hid_Thread::hid_14H_SetColor(uchar index, uchar rValue, uchar gValue, uchar bValue)
{
    runWrite(SetColor, {index, rValue, gValue, bValue});
}

void Hid_Thread::hid_80H_GetFWVersion(QString& version)
{
    uchar major = 0;
    uchar minor = 0;
    switch (runRead(GetFWVersion, {}, {&major, &minor})) {
    case ReadOutcome::Busy:
        return;
    case ReadOutcome::Failed:
        version = QStringLiteral("unknown");
        return;
    case ReadOutcome::Done:
        version = QString::number(major, 16) + QLatin1Char('.') +
                  QStringLiteral("%1").arg(minor, 2, 16, QLatin1Char('0')).toUpper();
        return;
    }
}

void Hid_Thread::hid_83H_GetReportRate(uchar& rate)
{
    runRead(GetReportRate, {}, {&rate});
}

void Hid_Thread::hid_82H_GetCurrentProfile(uchar& profile)
{
    runRead(GetCurrentProfile, {}, {&profile});
}

void Hid_Thread::hid_81H_GetKeyboardoption(uchar& byte1, uchar& byte2)
{
    runRead(GetKeyboardoption, {}, {&byte1, &byte2});
}

void Hid_Thread::hid_84H_GetButtonSensitivity(uchar& sens1, uchar& sens2, uchar& sens3, uchar& sens4)
{
    runRead(GetButtonSensitivity, {}, {&sens1, &sens2, &sens3, &sens4});
}

void Hid_Thread::hid_88H_GetLEDType(uchar& effect, uchar& speed, uchar& light, uchar& color, uchar& direction)
{
    runRead(GetLEDType, {}, {&effect, &speed, &light, &color, &direction});
}

void Hid_Thread::hid_89H_GetKeyboardMode(uchar& mode)
{
    runRead(GetKeyboardMode, {}, {&mode});
}

void Hid_Thread::hid_8DH_GetKeyMatrix(uchar* src512)
{
    runRead(GetKeyMatrix512, {}, {}, src512);
}

void Hid_Thread::hid_8EH_GetKeyOnOff(uchar* src21)
{
    runRead(GetKeyOnOff, {}, {}, src21);
}

void Hid_Thread::hid_91H_GetMacroKey(uchar macroId, uchar* src192)
{
    runRead(GetMacroKey192, {macroId}, {}, src192);
}

void Hid_Thread::hid_92H_GetUserPicture(uchar index, uchar* src512)
{
    runRead(GetUserPicture, {index}, {}, src512);
}

void Hid_Thread::hid_94H_GetColor(uchar index, uchar& rValue, uchar& gValue, uchar& bValue)
{
    runRead(GetColor, {index}, {&rValue, &gValue, &bValue});
}

// ---- mouse family ----

void Hid_Thread::hid_03H_SetFunctionOption(uchar type, uchar rate, uchar option1, uchar option2)
{
    runWrite(SetFunctionOption, {type, rate, option1, option2});
}

void Hid_Thread::hid_07H_SetLEDInstructFunction(uchar type, uchar option1, uchar option2, uchar option3)
{
    runWrite(SetLEDInstructFunction, {type, option1, option2, option3});
}

void Hid_Thread::hid_0BH_SetCurrentDPIStage(uchar dpiStage)
{
    runWrite(SetCurrentDPIStage, {dpiStage});
}

void Hid_Thread::hid_0DH_SetRGBLedEffect(uchar effect, uchar option1, uchar option2)
{
    runWrite(SetRGBLedEffect, {effect, option1, option2});
}

void Hid_Thread::hid_10H_SetLED8StageColor(uchar type, const uchar* src24)
{
    const int length = stageColorLength(type);
    runWrite(SetLED8StageColor, {type, static_cast<uchar>(length)}, src24, length);
}

void Hid_Thread::hid_11H_SetDPISet(uchar dpiStage, const uchar* src8)
{
    runWrite(SetDPISet, {dpiStage}, src8);
}

void Hid_Thread::hid_0DH_SetKeyMatrix(const uchar* src128, uchar indexAddOne)
{
    runWrite(SetKeyMatrix128, {indexAddOne}, src128);
}

void Hid_Thread::hid_0CH_setProfile(const uchar* src128, uchar profileData)
{
    runWrite(SetProfile, {profileData}, src128);
}

void Hid_Thread::hid_0FH_SetMacroKey(uchar macroId, const uchar* src128)
{
    runWrite(SetMacroKey128, {macroId}, src128);
}

void Hid_Thread::hid_83H_GetFunctionOption(uchar& type, uchar& option1, uchar& option2)
{
    runRead(GetFunctionOption, {}, {&type, &option1, &option2});
}

bool Hid_Thread::hid_87H_GetLEDInstructFunction(uchar type, uchar& option1, uchar& option2, uchar& option3)
{
    return runRead(GetLEDInstructFunction, {type}, {&option1, &option2, &option3}) == ReadOutcome::Done;
}

void Hid_Thread::hid_8BH_GetCurrentDPIStage(uchar& dpiStage)
{
    runRead(GetCurrentDPIStage, {}, {&dpiStage});
}

void Hid_Thread::hid_8DH_GetRGBLedEffect(uchar& effect, uchar& option1, uchar& option2)
{
    runRead(GetRGBLedEffect, {}, {&effect, &option1, &option2});
}

void Hid_Thread::hid_90H_GetLED8StageColor(uchar type, uchar* src24)
{
    runRead(GetLED8StageColor, {type}, {}, src24, stageColorLength(type));
}

bool Hid_Thread::hid_91H_GetDPISet(uchar& dpiMAXStage, uchar* src8)
{
    return runRead(GetDPISet, {}, {&dpiMAXStage}, src8) == ReadOutcome::Done;
}

void Hid_Thread::hid_92H_GetKeyMatrix(uchar* src64)
{
    runRead(GetKeyMatrix64, {}, {}, src64);
}

void Hid_Thread::hid_93H_GetMacroKey(uchar macroId, uchar* src128)
{
    runRead(GetMacroKey128, {macroId}, {}, src128);
}

bool Hid_Thread::hid_8CH_readProfile(uchar* src128, uchar profileNo)
{
    return runRead(ReadProfile, {profileNo}, {}, src128) == ReadOutcome::Done;
}
