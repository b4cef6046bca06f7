// The Win32 layer itself, under Wine with code page 932.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

#include "base/app_error.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/handles_win32.h"
#include "base/parallel_win32.h"
#include "map/picture_map.h"
#include "substitute_host.h"

namespace zv {
namespace {

TEST(SystemCodePage, IsShiftJis) {
    ASSERT_EQ(GetACP(), 932u);
    const CodePage& cp = SystemCodePage();
    EXPECT_TRUE(cp.IsLeadByte(0x82));
    EXPECT_FALSE(cp.IsLeadByte('a'));
    EXPECT_TRUE(cp.EqualIgnoringCase("Taro", "tARO"));
    EXPECT_FALSE(cp.EqualIgnoringCase("ａ", "a"));     // full-width and half-width differ
    EXPECT_FALSE(cp.EqualIgnoringCase("あ", "ア"));    // hiragana and katakana differ
    EXPECT_EQ(cp.ToLower("PHOTO.JPG"), "photo.jpg");
    EXPECT_EQ(cp.ToLower("\x95\x5C.JPG"), "\x95\x5C.jpg");
}

// Each worker index stands for one thread, so that state kept per worker (a decoding scratch)
// is never used by two threads at once; a job that throws leaves the others to run; once
// finished, the queue refuses more jobs and runs none of them.
TEST(WorkQueue, WorkersAreThreadsOfTheirOwnAndEveryJobRuns) {
    for (int threads : {1, 3}) {
        WorkQueue queue(threads);
        std::mutex lock;
        std::map<int, std::set<DWORD>> threads_of_worker;
        std::atomic<int> done{0};
        const int kJobs = 60;
        for (int i = 0; i < kJobs; ++i)
            queue.Add([&, i](int worker) {
                {
                    std::lock_guard<std::mutex> hold(lock);
                    threads_of_worker[worker].insert(GetCurrentThreadId());
                }
                Sleep(i % 3);
                if (i % 7 == 0) throw std::runtime_error("a failing job");
                ++done;
            });
        queue.Finish();
        EXPECT_EQ(done.load(), kJobs - (kJobs + 6) / 7) << threads << " threads";
        std::set<DWORD> all;
        for (const auto& [worker, ids] : threads_of_worker) {
            EXPECT_GE(worker, 0);
            EXPECT_LT(worker, threads);
            EXPECT_EQ(ids.size(), 1u) << "worker " << worker << " ran on one thread";
            all.insert(ids.begin(), ids.end());
        }
        EXPECT_EQ(all.size(), threads_of_worker.size()) << "no thread under two worker indices";
        EXPECT_EQ(threads_of_worker.count(0), 1u) << "the calling thread took part in Finish";

        bool ran = false;
        EXPECT_THROW(queue.Add([&](int) { ran = true; }), std::logic_error);
        queue.Finish();
        EXPECT_FALSE(ran) << "a job added after Finish";
    }
}

class MapOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        folder = host::MakeTempFolder("zvmap");
        map = folder + "\\zvOvisto.ini";
        bak = folder + "\\zvOvisto.bak";
    }
    void TearDown() override { host::RemoveFolder(folder); }

    std::string folder, map, bak;
    FileSystem& fs = SystemFileSystem();
    const CodePage& cp = SystemCodePage();
};

TEST_F(MapOnDisk, BytesRoundTripAndBackupIsOneGenerationDeep) {
    const std::string sjis_line = "\xEF\xBB\xBF\x95\x5C=C:\\\x95\x5C\\\x83\x5C.jpg";  // BOM, 表, ソ
    host::WriteFileBytes(map, sjis_line + "\nlast=x");
    MapLines lines;
    LoadMap(fs, map, lines);
    ASSERT_EQ(lines, (MapLines{sjis_line, "last=x"}));
    SaveMap(fs, map, lines, cp);
    EXPECT_EQ(host::ReadFileBytes(map), sjis_line + "\r\nlast=x\r\n");
    EXPECT_EQ(host::ReadFileBytes(bak), sjis_line + "\nlast=x");
    SaveMap(fs, map, {}, cp);
    EXPECT_EQ(host::ReadFileBytes(map), "");
    EXPECT_EQ(host::ReadFileBytes(bak), sjis_line + "\r\nlast=x\r\n");
}

TEST_F(MapOnDisk, MapHeldOpenWithoutSharing) {
    host::WriteFileBytes(map, "mine=1\r\n");
    host::WriteFileBytes(bak, "older=1\r\n");
    UniqueFile other(CreateFileA(map.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    MapLines lines = {"kept"};
    try {
        LoadMap(fs, map, lines);
        ADD_FAILURE() << "read a file held open without sharing";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + map + " は開けません");
    }
    EXPECT_EQ(lines, MapLines{"kept"});
    try {
        SaveMap(fs, map, {"new=1"}, cp);
        ADD_FAILURE() << "replaced a file held open without sharing";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + map + " を作成できません");
    }
    other.reset();
    EXPECT_EQ(host::ReadFileBytes(map), "mine=1\r\n");
    EXPECT_EQ(host::ReadFileBytes(bak), "older=1\r\n");
    EXPECT_EQ(host::ReadFileBytes(folder + "\\zvOvisto.tmp"), "(missing)");
}

TEST_F(MapOnDisk, SharedReadersMayStayWhileTheMapIsRead) {
    host::WriteFileBytes(map, "a=1");
    UniqueFile reader(CreateFileA(map.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    MapLines lines;
    EXPECT_NO_THROW(LoadMap(fs, map, lines));
    reader.reset();
    // A writer that shares reading still blocks us: we let others read but not write.
    const UniqueFile writer(CreateFileA(map.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_THROW(LoadMap(fs, map, lines), AppError);
}

TEST_F(MapOnDisk, SaveIntoAMissingFolderFailsCleanly) {
    const std::string nowhere = folder + "\\missing\\zvOvisto.ini";
    try {
        SaveMap(fs, nowhere, {"a=1"}, cp);
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル " + nowhere + " を作成できません");
    }
}

TEST_F(MapOnDisk, IsExistingFile) {
    const std::string file = folder + "\\a.jpg";
    host::WriteFileBytes(file, "x");
    EXPECT_TRUE(IsExistingFile(fs, file));
    EXPECT_TRUE(IsExistingFile(fs, folder + "\\*.jpg"));  // wildcards follow the file search
    EXPECT_FALSE(IsExistingFile(fs, folder));
    EXPECT_FALSE(IsExistingFile(fs, ""));
    EXPECT_FALSE(IsExistingFile(fs, folder + "\\none.jpg"));
    // A time stamp before 1980 has no DOS date.
    {
        const UniqueFile h(
            CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(h);
        SYSTEMTIME st = {1975, 6, 0, 15, 12, 0, 0, 0};
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        ASSERT_TRUE(SetFileTime(h.get(), nullptr, nullptr, &ft));
    }
    EXPECT_FALSE(IsExistingFile(fs, file));
}

}  // namespace
}  // namespace zv
