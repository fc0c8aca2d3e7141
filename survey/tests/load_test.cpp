#include "KavUtils.h"
#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/survey/legacy.h"
#include "orvex/survey/load.h"
#include "orvex/testing/scratch_dir.h"
#include "test_surveys.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvex;
namespace fs = std::filesystem;

namespace {

class LoadTest : public ::testing::Test {
protected:
    std::string Path(const std::string &name) const { return scratch / name; }

    // A regular survey data file; channel k of record i holds value 1 = 128 * (i + k),
    // value 2 = -256 * k, current components (3i, 4i); record 1 is all zero.
    std::string SaveRegular(const std::string &name, int32_t firstStation, int32_t firstLine,
                            int32_t stations, int32_t lines) {
        const size_t n = static_cast<size_t>(stations * lines);
        std::vector<int32_t> v1(n * 14), v2(n * 14), v3(n * 14), v4(n * 14);
        for (size_t i = 0; i < n; ++i)
            for (int k = 1; k <= 14; ++k) {
                if (i == 1) continue;
                const size_t at = i * 14 + k - 1;
                v1[at] = static_cast<int32_t>(128 * (i + k));
                v2[at] = -256 * k;
                v3[at] = static_cast<int32_t>(3 * i);
                v4[at] = static_cast<int32_t>(4 * i);
            }
        const uint16_t device = 9;
        const double xStep = 2.5, yStep = 10;
        EXPECT_EQ(KavFileSaveRegular(Path(name).c_str(), nullptr, nullptr, nullptr, &device,
                                     nullptr, nullptr, nullptr, &firstStation, &firstLine,
                                     &stations, &lines, &xStep, &yStep, v1.data(), v2.data(),
                                     v3.data(), v4.data(), nullptr),
                  1);
        return Path(name);
    }

    // A legacy orthogonal survey of 3 stations on 1 line with recognisable codes.
    TKavSurveyData LegacySample() {
        TKavSurveyData data = orvex::testing::NumberedSurvey(4, 6, 2, 2, 1.5, -3);
        data.SiteName = "Участок 7";
        data.SiteComment = "comment";
        data.DeviceNumber = 8;
        data.Loaded = false;
        data.Stations[1].ChannelUsed[2] = 0;
        return data;
    }

    orvex::testing::ScratchDir scratch;
};

} // namespace

TEST_F(LoadTest, RegularSurveyDataFile) {
    TKavSurveyData data;
    data.SiteName = "kept";
    LoadSurveyFile(data, SaveRegular("grid.kav", 10, 3, 4, 2));
    ASSERT_TRUE(data.Loaded);
    EXPECT_EQ(data.ChaoticGrid, 0);
    EXPECT_EQ(data.MinStation, 10);
    EXPECT_EQ(data.MaxStation, 13);
    EXPECT_EQ(data.MinLine, 3);
    EXPECT_EQ(data.MaxLine, 4);
    EXPECT_EQ(data.XStep, 2.5);
    EXPECT_EQ(data.DeviceNumber, 9);
    EXPECT_EQ(data.SourceFile, "");
    EXPECT_EQ(data.SiteName, "kept"); // the library's texts are not taken over
    ASSERT_EQ(data.Stations.size(), 8u);
    const TStationRecord &r = data.Stations[5];
    EXPECT_EQ(r.RawComp1[3], 5 + 3);
    EXPECT_EQ(r.RawComp2[3], -6);
    EXPECT_EQ(r.CurrentComp1[3], 15);
    EXPECT_EQ(r.RawCurrent[3], 25);
    EXPECT_EQ(r.ChannelUsed[3], 1);
    EXPECT_TRUE(RecordUnused(data.Stations[1]));
}

TEST_F(LoadTest, ScatteredFileReplacesAnOrthogonalSurvey) {
    const int32_t count = 6;
    std::vector<int32_t> v1(count * 14, 128);
    std::vector<double> c1{50.1, 50.2, 50.3, 50.4, 50.5, 50.6}, c2{30, 31, 32, 33, 34, 35};
    ASSERT_EQ(KavFileSaveScattered(Path("points.kav").c_str(), nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, &count, v1.data(), nullptr, nullptr,
                                   nullptr, nullptr, c1.data(), c2.data()),
              1);
    TKavSurveyData data;
    LoadSurveyFile(data, SaveRegular("grid.kav", 0, 2, 2, 8));
    ASSERT_EQ(data.MaxLine, 9);
    LoadSurveyFile(data, Path("points.kav"));
    EXPECT_EQ(data.ChaoticGrid, 1);
    EXPECT_EQ(data.MinStation, 0);
    EXPECT_EQ(data.MaxStation, 5);
    EXPECT_EQ(data.MinLine, 0);
    EXPECT_EQ(data.MaxLine, 0);
    EXPECT_EQ(data.XStep, 0);
    ASSERT_EQ(data.Stations.size(), 6u);
    EXPECT_EQ(data.Stations[4].CoordX, 50.5);
    EXPECT_EQ(data.Stations[4].CoordY, 34);
    EXPECT_EQ(data.Stations[4].RawComp1[14], 1);
}

TEST_F(LoadTest, LegacyFileRoundTripAndExactSize) {
    const TKavSurveyData written = LegacySample();
    // Any extension: the layout decides, not the name.
    WriteLegacySurvey(written, Path("old.prf"));
    ASSERT_EQ(fs::file_size(Path("old.prf")), 1398u);
    TKavSurveyData data;
    LoadSurveyFile(data, Path("old.prf"));
    ASSERT_TRUE(data.Loaded);
    EXPECT_EQ(data.SourceFile, Path("old.prf"));
    EXPECT_EQ(data.SiteName, "Участок 7");
    EXPECT_EQ(data.SiteComment, "comment");
    EXPECT_EQ(data.MinStation, 4);
    EXPECT_EQ(data.MaxLine, 2);
    EXPECT_EQ(data.YStep, -3);
    EXPECT_EQ(data.DeviceNumber, 8);
    EXPECT_EQ(data.LegacyKind, 1);
    ASSERT_EQ(data.Stations.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(data.Stations[i].RawComp1, written.Stations[i].RawComp1);
        EXPECT_EQ(data.Stations[i].RawComp2, written.Stations[i].RawComp2);
        EXPECT_EQ(data.Stations[i].RawCurrent, written.Stations[i].RawCurrent);
        EXPECT_EQ(data.Stations[i].ChannelUsed, written.Stations[i].ChannelUsed);
        EXPECT_EQ(data.Stations[i].CurrentComp1[1], 0);
    }

    TKavSurveyData chaotic = LegacySample();
    chaotic.ChaoticGrid = 1;
    chaotic.MinStation = 0;
    chaotic.MaxStation = 2;
    chaotic.DeviceNumber = 7;
    WriteLegacySurvey(chaotic, Path("old.cpr"));
    ASSERT_EQ(fs::file_size(Path("old.cpr")), 1038u + 3 * 112);
    LoadSurveyFile(data, Path("old.cpr"));
    EXPECT_EQ(data.ChaoticGrid, 1);
    EXPECT_EQ(data.MaxStation, 2);
    EXPECT_EQ(data.MaxLine, 0);
    EXPECT_EQ(data.XStep, 0);
    EXPECT_EQ(data.DeviceNumber, 7);
}

TEST_F(LoadTest, LegacySignalAndCurrentWords) {
    const struct {
        unsigned char bytes[3];
        int32_t value;
        bool unused;
    } cases[] = {
        {{0x64, 0x00, 0x00}, 3, false},
        {{0x64, 0x00, 0x80}, 3, true},
        {{0x00, 0x00, 0x40}, 9999999, false},
        {{0x9C, 0xFF, 0x3F}, -3, false}, // -100 in 22 bits
        {{0x1F, 0x00, 0x00}, 0, false},
        {{0x00, 0x00, 0x20}, -65536, false}, // bit 21 alone: the most negative value
    };
    for (const auto &c : cases) {
        bool unused = !c.unused;
        EXPECT_EQ(DecodeLegacyWord(c.bytes, &unused), c.value);
        EXPECT_EQ(unused, c.unused);
    }
    unsigned char word[3];
    EncodeLegacyWord(100, true, word);
    EXPECT_EQ(word[0] | word[1] << 8 | word[2] << 16, 0x800064);
    EncodeLegacyWord(9999999, true, word);
    EXPECT_EQ(word[0] | word[1] << 8 | word[2] << 16, 0xC00000 | 0x18967F);
    EncodeLegacyWord(-100, false, word);
    EXPECT_EQ(LegacyWordValue(word), -100);

    TKavSurveyData sample = LegacySample();
    WriteLegacySurvey(sample, Path("cur.prf"));
    std::string bytes = ReadWholeFile(Path("cur.prf"));
    bytes[1062 + 6] = bytes[1062 + 7] = '\xFF';
    WriteWholeFile(Path("cur.prf"), bytes);
    TKavSurveyData data;
    LoadSurveyFile(data, Path("cur.prf"));
    EXPECT_EQ(data.Stations[0].RawCurrent[1], 1023);
}

TEST_F(LoadTest, FailuresClearTheDataAndSayWhy) {
    WriteLegacySurvey(LegacySample(), Path("short.prf"));
    std::string bytes = ReadWholeFile(Path("short.prf"));
    WriteWholeFile(Path("short.prf"), bytes.substr(0, bytes.size() - 1));

    TKavSurveyData data;
    LoadSurveyFile(data, SaveRegular("grid.kav", 0, 0, 2, 2));
    EXPECT_THROW(LoadSurveyFile(data, Path("short.prf")), InputOutputError);
    EXPECT_FALSE(data.Loaded);
    EXPECT_TRUE(data.Stations.empty());
    EXPECT_EQ(data.SourceFile, Path("short.prf"));

    EXPECT_THROW(LoadSurveyFile(data, Path("missing.kav")), InputOutputError);
    EXPECT_FALSE(data.Loaded);

    // A legacy header describing an absurd grid is refused before any allocation.
    std::string absurd = bytes;
    const int32_t huge = 2000000000;
    std::memcpy(&absurd[1024 + 2 + 4], &huge, 4);  // MaxStation
    std::memcpy(&absurd[1024 + 2 + 12], &huge, 4); // MaxLine
    WriteWholeFile(Path("absurd.prf"), absurd);
    EXPECT_THROW(LoadSurveyFile(data, Path("absurd.prf")), InputOutputError);
    std::string reversed = bytes;
    const int32_t below = -5;
    std::memcpy(&reversed[1024 + 2 + 4], &below, 4);
    WriteWholeFile(Path("reversed.prf"), reversed);
    EXPECT_THROW(LoadSurveyFile(data, Path("reversed.prf")), RangeError);

    // A survey data file with a damaged header is not mistaken for a legacy file.
    std::string kav = ReadWholeFile(SaveRegular("damaged.kav", 0, 0, 2, 2));
    const int32_t many = 1 << 30;
    std::memcpy(&kav[788 + 8], &many, 4);
    WriteWholeFile(Path("damaged.kav"), kav);
    TKavSurveyData kept;
    LoadSurveyFile(kept, SaveRegular("good.kav", 0, 0, 2, 2));
    try {
        LoadSurveyFile(kept, Path("damaged.kav"));
        FAIL();
    } catch (const InputOutputError &e) {
        EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(kept.Loaded);
    EXPECT_EQ(kept.Stations.size(), 4u);

    EXPECT_THROW(LoadSurveyFile(kept, std::string(1000, 'a')), RangeError);
    EXPECT_TRUE(kept.Loaded);
}

// Every header byte of a small survey data file and of a small legacy file is
// overwritten in turn with a few telling values: each load must either succeed
// with a consistent grid or fail with one of the workbench's errors.
TEST_F(LoadTest, CorruptedHeadersLoadConsistentlyOrFailCleanly) {
    const std::string kav = ReadWholeFile(SaveRegular("sweep.kav", 3, 1, 3, 2));
    WriteLegacySurvey(LegacySample(), Path("sweep.prf"));
    const std::string legacy = ReadWholeFile(Path("sweep.prf"));
    const struct {
        const std::string &bytes;
        size_t headerEnd;
    } files[] = {{kav, 828 + 8}, {legacy, 1062 + 8}};
    int loaded = 0, refused = 0;
    for (const auto &file : files) {
        for (size_t at = 0; at < file.headerEnd; ++at) {
            for (unsigned char value : {0x00, 0x7F, 0x80, 0xFF}) {
                std::string bytes = file.bytes;
                bytes[at] = static_cast<char>(value);
                WriteWholeFile(Path("corrupt.bin"), bytes);
                TKavSurveyData data;
                try {
                    LoadSurveyFile(data, Path("corrupt.bin"));
                } catch (const Error &) {
                    ++refused;
                    EXPECT_FALSE(data.Loaded && data.Stations.empty() && data.ChaoticGrid == 0);
                    continue;
                }
                if (!data.Loaded) continue;
                ++loaded;
                if (data.ChaoticGrid == 1) {
                    EXPECT_EQ(data.MaxStation + 1, static_cast<int64_t>(data.Stations.size()));
                } else {
                    ASSERT_GE(StationCount(data), 1) << at;
                    ASSERT_GE(LineCount(data), 1) << at;
                    EXPECT_EQ(StationCount(data) * LineCount(data),
                              static_cast<int64_t>(data.Stations.size()))
                        << at;
                }
            }
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}
