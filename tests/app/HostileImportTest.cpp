// Importing ".wxf" files made to do harm through the window's import command: names that climb
// out of the log folder, texts without their NUL, and random bytes. Nothing outside the data
// folder may change, nothing crashes, and the only questions are the ones import asks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>

#include "WindowHarness.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteName.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold::testing {
namespace {

namespace fs = std::filesystem;

// Every file and folder below root with its content, by path relative to root.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        if (entry.is_symlink()) {
            entries[name] = "link to " + fs::read_symlink(entry.path()).string();
        } else {
            entries[name] = entry.is_directory() ? "folder" : FileText(entry.path());
        }
    }
    return entries;
}

SiteRecord Named(const char* name) {
    SiteRecord site = NewSiteRecord();
    std::memcpy(site.name, name, std::min(std::strlen(name), SiteRecord::kNameMax));
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "http://hostile.test/");
    return site;
}

// The data folder lies three levels below the test's folder, so that a name climbing out of
// the log folder lands in a folder the snapshot covers.
class HostileImport : public WindowTest {
  protected:
    HostileImport() : data(folder.Path() / "a" / "b" / "data") {
        fs::create_directories(data);
        fs::create_directories(folder.Path() / "files");
        fs::current_path(data);
    }

    // Runs the import command on file, and checks that only entries below the data folder
    // changed.
    void Import(const fs::path& file) {
        const auto before = Snapshot(folder.Path());
        prompter.files = {file.string()};
        window->OnCommand(31);
        const auto after = Snapshot(folder.Path());
        const std::string inside = fs::relative(data, folder.Path()).string() + "/";
        for (const auto& [name, content] : after) {
            const auto old = before.find(name);
            if (old != before.end() && old->second == content) continue;
            EXPECT_EQ(name.rfind(inside, 0), 0u) << name << " changed outside the data folder";
        }
        for (const auto& [name, content] : before) {
            EXPECT_TRUE(after.count(name) != 0 || name.rfind(inside, 0) == 0) << name << " gone";
        }
    }

    // Besides the replace question for a listed name, at most one warning per import.
    void ExpectOnlyImportQuestions() const {
        int warnings = 0;
        for (const auto& question : prompter.asked) {
            if (question.caption == "Load URL question.") continue;
            EXPECT_EQ(question.caption, "Warning") << question.text;
            ++warnings;
        }
        EXPECT_LE(warnings, 1);
    }

    fs::path data;
};

TEST_F(HostileImport, CraftedNamesAndTextsStayInsideTheDataFolder) {
    Open();
    std::vector<SiteRecord> crafted{Named("../../x"), Named("../../../x"), Named("long"),
                                    Named("tail")};
    std::memset(crafted[2].name, 'A', sizeof crafted[2].name);  // no NUL at all
    std::memset(crafted[3].url.urlPath, 'p', sizeof crafted[3].url.urlPath);
    crafted[3].url.urlPathLength = 0xFFFFFFFF;
    std::memset(crafted[3].fetchUrl, 'f', sizeof crafted[3].fetchUrl);
    const fs::path file = folder.Path() / "files" / "crafted.wxf";
    ASSERT_TRUE(SaveSiteList(crafted, file.string()));

    Import(file);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, FormatText(Text(248), 2));
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"AAAAAAAAAA", "tail"}));
    std::vector<SiteRecord> saved;
    LoadSiteList({}, saved, {});
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(std::strlen(saved[1].url.urlPath), UrlParts::kPathMax);
    EXPECT_EQ(saved[1].url.urlPathLength, UrlParts::kPathMax);
    EXPECT_EQ(std::strlen(saved[1].fetchUrl), SiteRecord::kFetchUrlSize - 1);
    EXPECT_TRUE(fs::is_directory(data / "log" / "AAAAAAAAAA"));

    // The same file again: each listed name is asked about and replaced, the others refused.
    prompter.asked.clear();
    prompter.answers = {PromptAnswer::kYes, PromptAnswer::kYes};
    Import(file);
    ASSERT_EQ(prompter.asked.size(), 3u);
    EXPECT_EQ(prompter.asked[0].text, FormatText(Text(228), "AAAAAAAAAA"));
    EXPECT_EQ(prompter.asked[1].text, FormatText(Text(228), "tail"));
    ExpectOnlyImportQuestions();
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"AAAAAAAAAA", "tail"}));
    EXPECT_EQ(window->Engine().MonitorCount(), 2);
}

TEST_F(HostileImport, RandomBytesImportOnlyWhatTheyCanNameSafely) {
    WriteSites({{"home", true}});
    Open();
    const unsigned seed = std::random_device{}();
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int round = 0; round < 3; ++round) {
        std::string bytes(sizeof(SiteRecord) * 7 + sizeof(SiteRecord) / 2, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        // Short names give a random record a fair chance to be safe and to repeat one.
        const std::string name = round == 1 ? std::string("r1\0", 3) : std::string("r\0\0", 3);
        for (std::size_t at = 0; round > 0 && at + 3 < bytes.size(); at += sizeof(SiteRecord)) {
            bytes.replace(at, 3, name);
        }
        const fs::path file = folder.Path() / "files" / ("random" + std::to_string(round) + ".wxf");
        std::ofstream(file, std::ios::binary) << bytes;

        prompter.asked.clear();
        Import(file);
        ExpectOnlyImportQuestions();
        ASSERT_LE(window->Sites().size(), 1u + 7u * (round + 1));
        EXPECT_EQ(ListNames().front(), "home");
        for (const SiteRecord& site : window->Sites()) {
            EXPECT_TRUE(IsSafeSiteName(site.name));
            EXPECT_LT(strnlen(site.fetchUrl, sizeof site.fetchUrl), sizeof site.fetchUrl);
        }
    }
    std::vector<SiteRecord> saved;
    LoadSiteList({}, saved, {});
    EXPECT_EQ(saved.size(), window->Sites().size());
}

}  // namespace
}  // namespace wexfold::testing
