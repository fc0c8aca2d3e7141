#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/processing/calibration.h"
#include "orvex/prompts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace orvex;

namespace {

class CalibrationFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("orvex-calibration-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        sets = std::make_unique<TKavCalibrationSets>();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void Write(int device, const std::string &text) {
        WriteWholeFile((folder / CalibrationFileName(device)).string(), text);
    }
    void Read(int device, char separator = '.') {
        ReadCalibration(*sets, device, CalibrationFileName(device), folder.string() + "/",
                        separator, prompts);
    }
    std::filesystem::path folder;
    std::unique_ptr<TKavCalibrationSets> sets;
    ScriptedPrompts prompts;
};

TEST_F(CalibrationFile, MissingKeysTakeTheirDefaultsAndKeysAreMatchedWithoutCase) {
    std::string text = "[frequencies]\r\n";
    for (int k = 1; k <= 14; ++k)
        text += (k == 5 ? "F05" : "f" + std::to_string(k)) + "=" + std::to_string(k) + ",5\r\n";
    text += "[R]\r\nR1 = 1,25\r\nr2=oops\r\nNT=10\r\n[GainFactor]\r\nGF3=\r\n";
    Write(9, text);
    (*sets)[9].AirCurrent[2] = 7; // derived at each run, never read
    Read(9, ',');

    const TKavCalibration &set = (*sets)[9];
    EXPECT_DOUBLE_EQ(set.Frequencies[1], 1.5);
    EXPECT_DOUBLE_EQ(set.Frequencies[14], 14.5);
    EXPECT_DOUBLE_EQ(set.Frequencies[5], 1.0) << "F05 is not the key F5";
    EXPECT_DOUBLE_EQ(set.r1, 1.25);
    EXPECT_DOUBLE_EQ(set.r2, 1.0) << "not a number";
    EXPECT_DOUBLE_EQ(set.rt, 1.0) << "missing";
    EXPECT_EQ(set.nt, 10);
    for (int k = 1; k <= 14; ++k) {
        EXPECT_DOUBLE_EQ(set.GainFactor[k], 1.0);
        EXPECT_DOUBLE_EQ(set.XPrimary[k], 1.0);
        EXPECT_DOUBLE_EQ(set.IAir[k], 1.0);
        EXPECT_DOUBLE_EQ(set.M2[k], 1.0);
    }
    EXPECT_DOUBLE_EQ(set.AirCurrent[2], 7);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CalibrationFile, MissingFileWarnsOnceAndReadsAllOnes) {
    Read(9);
    ASSERT_EQ(prompts.Texts(), std::vector<std::string>{
                                   "Ini File 'Orvex.ini' Does not exist! You should restore it!"});
    EXPECT_EQ(prompts.messages[0].type, MessageType::Warning);
    EXPECT_EQ(prompts.messages[0].buttons, unsigned{ButtonOk});
    EXPECT_DOUBLE_EQ((*sets)[9].CurrentCoef[7], 1.0);
    EXPECT_EQ((*sets)[9].nt, 1);
}

TEST_F(CalibrationFile, EachDeviceFillsOnlyItsOwnSet) {
    EXPECT_EQ(CalibrationFileName(0), "Orvex_Kav#0.ini");
    EXPECT_EQ(CalibrationFileName(100), "Orvex_Kav#100.ini");
    Write(0, "[Frequencies]\nF1=3\n");
    Write(100, "[Frequencies]\nF1=4\n");
    Read(0);
    Read(100);
    EXPECT_DOUBLE_EQ((*sets)[0].Frequencies[1], 3);
    EXPECT_DOUBLE_EQ((*sets)[100].Frequencies[1], 4);
    EXPECT_DOUBLE_EQ((*sets)[50].Frequencies[1], 0) << "a set never read holds zeros";
    EXPECT_THROW(Read(101), RangeError);
    EXPECT_THROW(Read(-1), RangeError);
    EXPECT_TRUE(prompts.messages.empty()) << "an out-of-range device is refused before any file";
}

} // namespace
