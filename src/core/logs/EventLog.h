// The per-site daily log files: one folder per site below "log/" of the base folder, one file
// per day named MMDD20YY. Each site's file for today stays open for appending; the record's
// logFile field holds its handle here. Files are written in text mode (every LF stored as
// CR LF), so what is stored is byte-identical to the files the Windows program wrote. Folders
// are private to the user (0700) and files too (0600): old lines may hold addresses.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Result.h"
#include "core/logs/Clock.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

enum class DateKind {
    kStamp,      // " %H:%M:%S %m/%d 20%y "
    kTodayName,  // "%m%d20%y"
};

class EventLog {
  public:
    // sites is the program's site list; the change of day and exit logging walk it. An empty
    // base means the process's current directory, asked anew at every use.
    EventLog(const Clock& clock, std::vector<SiteRecord>& sites, std::filesystem::path base = {});
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Makes the text of the given kind from the clock's local time. The first time a new
    // calendar day is seen, every site moves to that day's file first (CheckDay).
    std::string DateText(DateKind kind);

    // The one-second tick's check: when the clock's calendar day is not the day of the open
    // files, every site's file is closed and that day's opened, with the interval line
    // "* %d seconds interval time.\r\n" at its start, and old files are deleted. Runs once per
    // change of day, whatever the time of day that first sees it.
    void CheckDay();

    // Opens today's file of the site for appending into site.logFile (making the log root and
    // the site's folder when they are missing), writes the interval line and deletes the
    // site's old files. Used at start-up, when a site is added or imported, and after a rename,
    // so that the site logs into its new name's folder. A name that is not a safe folder name
    // gets no file. A failure stays silent here (the site then logs nothing); OpenResult keeps
    // its reason.
    void OpenSiteLog(SiteRecord& site);

    // How the last opening of the file of a site of this name went: success (also before any),
    // or why the site has no file ("cannot open PATH: Permission denied").
    Result OpenResult(const SiteRecord& site) const;

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

    // The confirmed exit: "Exit program. " + stamp + "\n" into every site's file, and old files
    // deleted where autoDeleteLogs is 1.
    void ExitLogging();

    // The clock's time, in seconds since 1970-01-01 UTC.
    std::int64_t Now() const { return clock_.Now(); }

    // The folder that holds the site folders ("log" below the base).
    std::filesystem::path LogRoot() const;

  private:
    std::filesystem::path Base() const;
    // Moves every site to the day of local when it is not the day of the open files.
    void ChangeDayIfNew(const std::tm& local);
    void OpenToday(SiteRecord& site, const std::tm& local);
    Result OpenFile(SiteRecord& site, const std::tm& local);
    // Deletes the site's day files dated on or before the same day of the month before local's
    // (when autoDeleteLogs is 1): the month-old file and any older one a missed day left.
    void DeleteOldFiles(const SiteRecord& site, const std::tm& local);

    // An open day file and the whole lines not yet written to it.
    struct File {
        int fd = -1;
        std::string pending;
    };
    static void Write(File& file);

    const Clock& clock_;
    std::vector<SiteRecord>& sites_;
    std::filesystem::path base_;
    std::map<std::uint32_t, File> files_;
    std::map<std::string, Result> openFailures_;  // by site name
    std::uint32_t nextHandle_ = 1;
    int openDay_ = -1;  // the calendar day of the open files (DayKey); -1 before the first
    int batches_ = 0;
    std::vector<std::uint32_t> touched_;  // handles with lines pending in the open batch
};

}  // namespace wexfold
