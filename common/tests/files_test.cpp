#include "orvex/errors.h"
#include "orvex/files.h"
#include "orvex/testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvex;
namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    orvex::testing::ScratchDir scratch;
    const fs::path &dir = scratch.path();
};

TEST_F(FilesTest, OutputAppearsOnlyWhenCommitted) {
    const std::string target = (dir / "table.dat").string();
    WriteWholeFile(target, "old");
    {
        OutputFile out(target);
        out.Write("partial");
        // no Commit: an error left the write unfinished
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    {
        OutputFile out(target);
        out.Write("new ");
        out.Write("content");
        out.Commit();
    }
    EXPECT_EQ(ReadWholeFile(target), "new content");
    EXPECT_THROW(OutputFile((dir / "missing" / "x.dat").string()), InputOutputError);
}

TEST_F(FilesTest, ReaderRefusesShortReadsAndFolders) {
    const std::string path = (dir / "bytes.bin").string();
    WriteWholeFile(path, std::string("\x01\x02\x03\x04\x05", 5));
    BinaryReader reader(path);
    EXPECT_EQ(reader.Size(), 5u);
    EXPECT_EQ(reader.ReadLittle<uint16_t>(), 0x0201);
    EXPECT_EQ(reader.ReadLittle<uint16_t>(), 0x0403);
    EXPECT_THROW(reader.ReadLittle<uint16_t>(), InputOutputError);
    EXPECT_THROW(BinaryReader(dir.string()), InputOutputError);
    EXPECT_THROW(BinaryReader((dir / "none").string()), InputOutputError);
    EXPECT_FALSE(FileExists(dir.string()));
    EXPECT_TRUE(IsDirectory(dir.string()));
}
