// The per-site daily log files: one folder per site below "log/" of the base folder, one file
// per day named MMDD20YY. Each site's file for today stays open for appending; the record's
// logFile field holds its handle here. Files are written in text mode (every LF stored as
// CR LF), so what is stored is byte-identical to the files the Windows program wrote.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/logs/Clock.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

enum class DateKind {
    kStamp,         // " %H:%M:%S %m/%d 20%y "
    kTodayName,     // "%m%d20%y"
    kMonthAgoName,  // the same day one month earlier, "%02d%02d%04d"
};

class EventLog {
  public:
    // sites is the program's site list; the midnight change and exit logging walk it. An empty
    // base means the process's current directory, asked anew at every use.
    EventLog(const Clock& clock, std::vector<SiteRecord>& sites, std::filesystem::path base = {});
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Makes the text of the given kind from the clock's local time. During the minute 00:00 it
    // also runs ReopenLogFiles.
    std::string DateText(DateKind kind);

    // Opens today's file of the site for appending into site.logFile and writes the line
    // "* %d seconds interval time.\r\n". With createFolders the log root and the site's folder
    // are made first (when a site is added); at start-up they are not. A name that is not a
    // safe folder name gets no file.
    void OpenSiteLog(SiteRecord& site, bool createFolders);

    // Appends text to the site's open file; nothing happens when it has none.
    void Append(const SiteRecord& site, std::string_view text);

    // Lines appended while a Batch lives are flushed when it ends, each touched file once;
    // without one every line is flushed as it is written. Lines are never split either way.
    class Batch {
      public:
        explicit Batch(EventLog& log) : log_(log) { ++log_.batches_; }
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        EventLog& log_;
    };

    // Closes the site's file (used when a site is removed).
    void Close(SiteRecord& site);

    // The change to a new day: every site's file is closed and today's opened (no interval
    // line); month-old files of sites with autoDeleteLogs are deleted.
    void ReopenLogFiles();

    // The confirmed exit: "Exit program. " + stamp + "\n" into every site's file, and the
    // month-old file deleted where autoDeleteLogs is 1.
    void ExitLogging();

    // The clock's time, in seconds since 1970-01-01 UTC.
    std::int64_t Now() const { return clock_.Now(); }

    // The folder that holds the site folders ("log" below the base).
    std::filesystem::path LogRoot() const;

  private:
    std::filesystem::path Base() const;
    std::string Format(DateKind kind, std::int64_t now) const;
    void OpenToday(SiteRecord& site);
    void DeleteMonthOld(const SiteRecord& site);

    const Clock& clock_;
    std::vector<SiteRecord>& sites_;
    std::filesystem::path base_;
    std::map<std::uint32_t, std::FILE*> files_;
    std::uint32_t nextHandle_ = 1;
    bool reopening_ = false;
    int batches_ = 0;
    std::unordered_set<std::FILE*> touched_;
};

}  // namespace wexfold
