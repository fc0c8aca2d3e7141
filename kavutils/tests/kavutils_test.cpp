#include "KavUtils.h"
#include "orvex/testing/scratch_dir.h"
#include "orvex/testing/shared_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadBytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

uint32_t Le32(const Bytes &b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

void PutLe32(Bytes &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// The survey as read back through the three-step protocol.
struct Loaded {
    int32_t ok = 0, count = -1, device = -1, day = -1, month = -1, year = -1;
    int32_t firstStation = -1, firstLine = -1, stations = -1, lines = -1;
    double xStep = -1, yStep = -1;
    char text1[256], text2[256], text3[256];
    std::vector<int32_t> v1, v2, v3, v4;
    std::vector<uint32_t> tags;
    std::vector<double> c1, c2;
};

Loaded Load(const fs::path &path) {
    Loaded s;
    s.ok = KavFileLoad(path.c_str(), s.text1, s.text2, s.text3, &s.count, &s.device, &s.day,
                       &s.month, &s.year, &s.firstStation, &s.firstLine, &s.stations, &s.lines,
                       &s.xStep, &s.yStep);
    if (!s.ok) return s;
    const size_t n = static_cast<size_t>(s.count);
    s.v1.assign(n * 14, -7);
    s.v2 = s.v3 = s.v4 = s.v1;
    s.tags.assign(n, 7);
    s.c1.assign(n, -7);
    s.c2.assign(n, -7);
    EXPECT_EQ(KavFileLoadData(s.v1.data(), s.v2.data(), s.v3.data(), s.v4.data(), s.tags.data(),
                              s.c1.data(), s.c2.data()),
              1);
    EXPECT_EQ(KavFileLoadClose(), 1);
    return s;
}

class KavUtilsTest : public ::testing::Test {
protected:
    // A regular survey whose every value differs, with both signs and the
    // 24-bit extremes; channel 5 of record 1 is all zero.
    fs::path SaveRegular(int32_t stations, int32_t lines, bool withValues = true) {
        const size_t n = static_cast<size_t>(std::max(stations * lines, 0)) * 14;
        values.assign(4, std::vector<int32_t>(n));
        for (size_t i = 0; i < n; ++i)
            for (int j = 0; j < 4; ++j)
                values[j][i] =
                    static_cast<int32_t>((i * 4 + j) * 1000 + 1) * ((i + j) % 2 ? -1 : 1);
        if (n > 14 * 2) {
            for (int j = 0; j < 4; ++j)
                values[j][14 + 4] = 0;
            values[0][0] = -1;
            values[1][0] = 8388608; // wraps to -8388608 in 24 bits
            values[2][0] = 8388607;
        }
        std::vector<uint32_t> tags(static_cast<size_t>(std::max(stations * lines, 0)));
        for (size_t i = 0; i < tags.size(); ++i)
            tags[i] = 0xA0000000u + static_cast<uint32_t>(i);
        const uint16_t device = 9, year = 2026;
        const uint8_t day = 11, month = 12;
        const int32_t firstStation = 100, firstLine = 5;
        const double xStep = 0.1, yStep = -2.5;
        const fs::path path = dir / "regular.kav";
        EXPECT_EQ(KavFileSaveRegular(
                      path.c_str(), "site", std::string(300, 'x').c_str(), nullptr, &device, &day,
                      &month, &year, &firstStation, &firstLine, &stations, &lines, &xStep, &yStep,
                      withValues ? values[0].data() : nullptr,
                      withValues ? values[1].data() : nullptr,
                      withValues ? values[2].data() : nullptr,
                      withValues ? values[3].data() : nullptr, withValues ? tags.data() : nullptr),
                  1);
        return path;
    }

    orvex::testing::ScratchDir scratch;
    const fs::path &dir = scratch.path();
    std::vector<std::vector<int32_t>> values;
};

} // namespace

TEST_F(KavUtilsTest, RegularRoundTripKeepsValuesTagsAndGeometry) {
    const fs::path path = SaveRegular(3, 2);
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 828u + 6 * 180);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), (Bytes{'K', 'A', 'V', 0, 1, 0, 0, 0}));
    EXPECT_EQ(bytes[782] | bytes[783] << 8, 0); // regular layout
    EXPECT_EQ(Le32(bytes, 784), 788u);          // block offset
    EXPECT_EQ(Le32(bytes, 788 + 36), 828u);     // records offset
    EXPECT_EQ(Le32(bytes, 788 + 32), 0u);       // a grid was given
    EXPECT_EQ(bytes[264], 255);                 // text 2 cut to 255 characters
    // value 1 of channel 1 of record 0 is -1, value 2 is 8388608: big-endian 24 bits
    EXPECT_EQ(Bytes(bytes.begin() + 828, bytes.begin() + 834),
              (Bytes{0xFF, 0xFF, 0xFF, 0x80, 0, 0}));
    // record 1's mask lacks channel 5, whose four values were zero
    EXPECT_EQ(bytes[828 + 180 + 168], 0xFF & ~(1 << 4));
    EXPECT_EQ(bytes[828 + 180 + 169], 0x3F);

    Loaded s = Load(path);
    ASSERT_EQ(s.ok, 1);
    EXPECT_EQ(s.count, 6);
    EXPECT_EQ(s.device, 9);
    EXPECT_EQ(s.day, 11);
    EXPECT_EQ(s.month, 12);
    EXPECT_EQ(s.year, 2026);
    EXPECT_EQ(s.firstStation, 100);
    EXPECT_EQ(s.firstLine, 5);
    EXPECT_EQ(s.stations, 3);
    EXPECT_EQ(s.lines, 2);
    EXPECT_EQ(s.xStep, 0.10000000149011612); // steps pass through 32-bit float
    EXPECT_EQ(s.yStep, -2.5);
    EXPECT_STREQ(s.text1, "site");
    EXPECT_EQ(std::strlen(s.text2), 255u);
    EXPECT_STREQ(s.text3, "");
    values[1][0] = -8388608;
    EXPECT_EQ(s.v1, values[0]);
    EXPECT_EQ(s.v2, values[1]);
    EXPECT_EQ(s.v3, values[2]);
    EXPECT_EQ(s.v4, values[3]);
    EXPECT_EQ(s.tags[5], 0xA0000005u);
    EXPECT_EQ(s.c1[0], -7); // coordinates are not touched for a regular survey
}

TEST_F(KavUtilsTest, RegularWithoutValuesOrGridWritesEmptyRecords) {
    Loaded s = Load(SaveRegular(2, 2, /*withValues=*/false));
    ASSERT_EQ(s.ok, 1);
    EXPECT_EQ(s.v1, std::vector<int32_t>(4 * 14, 0));
    EXPECT_EQ(s.tags, std::vector<uint32_t>(4, 0));

    const fs::path path = SaveRegular(0, 4, false);
    EXPECT_EQ(ReadBytes(path).size(), 828u + 20 * 180);
    s = Load(path);
    EXPECT_EQ(s.stations, 20);
    EXPECT_EQ(s.lines, 1);
    EXPECT_EQ(s.count, 20);

    const int32_t negative = -1;
    EXPECT_EQ(KavFileSaveRegular((dir / "n.kav").c_str(), nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, &negative, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
}

TEST_F(KavUtilsTest, ScatteredRoundTripKeepsCoordinatePairs) {
    const int32_t count = 5;
    std::vector<int32_t> v1(count * 14, 0);
    std::vector<double> c1(count), c2(count);
    for (int i = 0; i < count; ++i) {
        v1[i * 14] = 128 * (i + 1);
        c1[i] = 1.5 + i;
        c2[i] = 2.5 - i;
    }
    const fs::path path = dir / "points.kav";
    ASSERT_EQ(KavFileSaveScattered(path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, &count, v1.data(), nullptr, nullptr, nullptr,
                                   nullptr, c1.data(), c2.data()),
              1);
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 800u + 5 * 196);
    EXPECT_EQ(bytes[782], 1);
    EXPECT_EQ(Le32(bytes, 788), 5u);
    EXPECT_EQ(Le32(bytes, 796), 800u);
    EXPECT_EQ(bytes[776], 1); // default day, month, year 2000
    EXPECT_EQ(bytes[778] | bytes[779] << 8, 2000);
    double firstInFile = 0;
    std::memcpy(&firstInFile, bytes.data() + 800 + 180, 8);
    EXPECT_EQ(firstInFile, 2.5); // coordinate 2 is stored first

    Loaded s = Load(path);
    ASSERT_EQ(s.ok, 1);
    EXPECT_EQ(s.count, 5);
    EXPECT_EQ(s.stations, 0);
    EXPECT_EQ(s.lines, 0);
    EXPECT_EQ(s.xStep, 0.0);
    EXPECT_EQ(s.c1, c1);
    EXPECT_EQ(s.c2, c2);
    EXPECT_EQ(s.v1, v1);
}

TEST_F(KavUtilsTest, ReaderFollowsStoredOffsetsAndMasks) {
    Bytes bytes = ReadBytes(SaveRegular(2, 1));
    // Clear channel 1's mask bit of record 0: its non-zero bytes must read as zeros.
    bytes[828 + 168] &= 0xFE;
    // Move the layout block 16 bytes further and the records 8 bytes after it.
    Bytes moved(bytes.begin(), bytes.begin() + 788);
    moved.insert(moved.end(), 16, 0xEE);
    moved.insert(moved.end(), bytes.begin() + 788, bytes.begin() + 828);
    moved.insert(moved.end(), 8, 0xEE);
    moved.insert(moved.end(), bytes.begin() + 828, bytes.end());
    PutLe32(moved, 784, 788 + 16);
    PutLe32(moved, 788 + 16 + 36, 828 + 24);
    moved[4] = 7; // other versions are accepted
    WriteBytes(dir / "moved.kav", moved);
    Loaded s = Load(dir / "moved.kav");
    ASSERT_EQ(s.ok, 1);
    EXPECT_EQ(s.stations, 2);
    for (int j = 0; j < 14; ++j)
        EXPECT_EQ(s.v1[j], j == 0 ? 0 : values[0][j]);
    EXPECT_EQ(s.v2[0], 0);
    EXPECT_EQ(s.v1[14], values[0][14]);
}

TEST_F(KavUtilsTest, RecordsPastTheEndReadEmpty) {
    Bytes bytes = ReadBytes(SaveRegular(3, 2));
    bytes.resize(828 + 2 * 180 + 100); // two whole records, then a cut one
    WriteBytes(dir / "cut.kav", bytes);
    Loaded s = Load(dir / "cut.kav");
    ASSERT_EQ(s.ok, 1);
    EXPECT_EQ(s.count, 6);
    EXPECT_EQ(s.v3[14 + 1], values[2][14 + 1]);
    for (size_t i = 2 * 14; i < 6 * 14; ++i)
        EXPECT_EQ(s.v1[i], 0) << i;
    EXPECT_EQ(s.tags[2], 0u);
}

TEST_F(KavUtilsTest, DamagedOrForeignFilesAreRefused) {
    const Bytes good = ReadBytes(SaveRegular(3, 2));
    struct Case {
        const char *name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"shorter than the layout word", Bytes(good.begin(), good.begin() + 783)});
    Bytes magic = good;
    magic[3] = 'X';
    cases.push_back({"no magic", magic});
    cases.push_back({"header cut inside the grid block", Bytes(good.begin(), good.begin() + 800)});
    Bytes overflow = good;
    PutLe32(overflow, 788 + 8, 100000);
    PutLe32(overflow, 788 + 12, 100000);
    cases.push_back({"stations x lines beyond 2^31", overflow});
    Bytes absurd = good;
    PutLe32(absurd, 788 + 8, 20000);
    PutLe32(absurd, 788 + 12, 1000);
    cases.push_back({"twenty million records in a 2 kB file", absurd});
    Bytes negative = good;
    PutLe32(negative, 788 + 8, static_cast<uint32_t>(-3));
    PutLe32(negative, 788 + 12, static_cast<uint32_t>(-2));
    cases.push_back({"negative stations and lines", negative});
    Bytes offset = good;
    PutLe32(offset, 784, 0xFFFFFFF0u);
    cases.push_back({"block offset past the end", offset});
    Bytes scattered = good;
    scattered[782] = 1;
    PutLe32(scattered, 788, 2000000000u);
    cases.push_back({"two billion scattered records", scattered});
    PutLe32(scattered, 788, static_cast<uint32_t>(-1));
    cases.push_back({"negative scattered count", scattered});

    for (const Case &c : cases) {
        WriteBytes(dir / "bad.kav", c.bytes);
        int32_t count = -5;
        EXPECT_EQ(KavFileLoad((dir / "bad.kav").c_str(), nullptr, nullptr, nullptr, &count, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr),
                  0)
            << c.name;
        EXPECT_EQ(count, -5) << c.name; // nothing written on failure
        EXPECT_STRNE(KavFileLastError(), "") << c.name;
        EXPECT_EQ(KavFileLoadData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                  0);
    }
    EXPECT_EQ(KavFileLoad((dir / "missing.kav").c_str(), nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr),
              0);
    EXPECT_EQ(KavFileLoad(dir.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
}

TEST_F(KavUtilsTest, ProtocolStateAndFailedSaves) {
    const fs::path path = SaveRegular(2, 1);
    ASSERT_EQ(KavFileLoad(path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              1);
    // The held survey belongs to this thread only.
    int32_t other = -1;
    std::thread([&] {
        other = KavFileLoadData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }).join();
    EXPECT_EQ(other, 0);
    EXPECT_EQ(KavFileLoadData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(KavFileLoadClose(), 1);
    EXPECT_EQ(KavFileLoadData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);

    // A save that cannot create its file fails and leaves no trace.
    const int32_t count = 1;
    EXPECT_EQ(KavFileSaveScattered((dir / "no" / "such.kav").c_str(), nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    // Saving over an existing file replaces it whole.
    const auto before = fs::file_size(path);
    SaveRegular(1, 1);
    EXPECT_LT(fs::file_size(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(KavUtilsFixedAnswers, TestFunctions) {
    int32_t value = 0;
    EXPECT_EQ(MyLoadInteger(&value), 1);
    EXPECT_EQ(value, 123456789);
    EXPECT_EQ(MyLoadInteger(nullptr), 1);
    char text[32];
    std::memset(text, 'z', sizeof text);
    EXPECT_EQ(MyLoadString(text), 1);
    EXPECT_STREQ(text, "Hello, world!");
    EXPECT_EQ(get156(), 156.0);
    EXPECT_EQ(sum(1.25, 2.5), 3.75);
}

TEST(KavUtilsLibrary, ExportsExactlyTheCFunctions) {
    const std::set<std::string> expected = {"KavFileLoad",
                                            "KavFileLoadData",
                                            "KavFileLoadClose",
                                            "KavFileSaveRegular",
                                            "KavFileSaveScattered",
                                            "MyLoadInteger",
                                            "MyLoadString",
                                            "get156",
                                            "sum",
                                            "KavFileLastError"};
    EXPECT_EQ(orvex::testing::ExportedSymbols(KAVUTILS_LIBRARY), expected);
}
