#include "orvex/processing/calibration.h"

#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/ini.h"
#include "orvex/prompts.h"
#include "orvex/text.h"

#include <climits>
#include <unistd.h>

namespace orvex {

std::string CalibrationFileName(int32_t deviceNumber) {
    return "Orvex_Kav#" + std::to_string(deviceNumber) + ".ini";
}

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "./";
    return FolderOf(std::string_view(path, static_cast<size_t>(length)));
}

TKavCalibration &CalibrationSet(TKavCalibrationSets &sets, int32_t deviceNumber) {
    if (deviceNumber < 0 || deviceNumber > kMaxDeviceNumber)
        throw RangeError("Device number " + std::to_string(deviceNumber) +
                         " has no calibration set (device numbers run from 0 to " +
                         std::to_string(kMaxDeviceNumber) + ")");
    return sets[static_cast<size_t>(deviceNumber)];
}

const TKavCalibration &CalibrationSet(const TKavCalibrationSets &sets, int32_t deviceNumber) {
    return CalibrationSet(const_cast<TKavCalibrationSets &>(sets), deviceNumber);
}

void ReadCalibration(TKavCalibrationSets &sets, int32_t deviceNumber, const std::string &fileName,
                     const std::string &folder, char separator, Prompts &prompts) {
    TKavCalibration &set = CalibrationSet(sets, deviceNumber);
    const std::string path = folder + fileName;
    IniFile ini;
    if (FileExists(path))
        ini = IniFile::Load(path);
    else
        prompts.Warn("Ini File 'Orvex.ini' Does not exist! You should restore it!");

    const auto real = [&](const char *section, const std::string &key) {
        double value = 1.0;
        if (auto text = ini.Value(section, key)) TryParseReal(*text, separator, value);
        return value;
    };
    for (int k = 1; k <= kChannelCount; ++k) {
        const std::string n = std::to_string(k);
        set.Frequencies[k] = real("Frequencies", "F" + n);
        set.XPrimary[k] = real("XPrimary", "XP" + n);
        set.YPrimary[k] = real("YPrimary", "YP" + n);
        set.CurrentCoef[k] = real("CurrentCoef", "CC" + n);
        set.XAir[k] = real("XAir", "XA" + n);
        set.YAir[k] = real("YAir", "YA" + n);
        set.IAir[k] = real("IAir", "IA" + n);
        set.M1[k] = real("M1", "M1_" + n);
        set.M2[k] = real("M2", "M2_" + n);
        set.GainFactor[k] = real("GainFactor", "GF" + n);
    }
    set.r1 = real("r", "r1");
    set.r2 = real("r", "r2");
    set.rt = real("r", "rt");
    long long turns = 1;
    if (auto text = ini.Value("r", "nt");
        !text || !TryParseInteger(*text, turns) || turns < INT32_MIN || turns > INT32_MAX)
        turns = 1;
    set.nt = static_cast<int32_t>(turns);
}

} // namespace orvex
