// The UPDATE page: the check button with its three captions, the status texts of the update
// check, the progress pair, the automatic check and the update record.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <ctime>

#include "app/widgets/UpdateSwitch.h"
#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

constexpr std::size_t kTextLimit = 255;
constexpr std::uint32_t kAutomaticMinutes = 60;
constexpr const char* kOpenQuestion = "The update '%s' was downloaded. Open it now?";

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string LocalTime(std::int64_t seconds, const char* format) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[128] = "";
    std::strftime(text, sizeof text, format, &local);
    return text;
}

// The page's texts pass a 255-character buffer; longer ones are cut, never overrun.
std::string Cut(std::string text) {
    if (text.size() > kTextLimit) text.resize(kTextLimit);
    return text;
}

}  // namespace

// A check that runs has changed the idle caption "Check Update Now!".
bool T_wexfoldDlg::CheckRunning() const {
    return controls_.checkButton->text() != QString::fromUtf8(Text(114));
}

void T_wexfoldDlg::ShowUpdateText(QLabel* label, const std::string& text) {
    label->setText(Utf8(Cut(text)));
    emit updateTextShown(label, label->text());
}

void T_wexfoldDlg::SetCheckCaption(const char* caption) {
    controls_.checkButton->setText(QString::fromUtf8(caption));
}

void T_wexfoldDlg::SetUpdateStatus(int id) {
    ShowUpdateText(controls_.updateText, Text(id));
}

void T_wexfoldDlg::ShowProgressPair(bool show) {
    const bool visible = show && CurrentPage() == Page::kUpdate;
    controls_.updateStatus->setVisible(visible);
    controls_.updateProgress->setVisible(visible);
}

void T_wexfoldDlg::UpdateButton() {
    if (!CheckRunning()) {
        // The check runs on its own thread; its texts follow as it reports. A check already
        // under way (the automatic one) is followed the same way.
        if (updater_->StartCheck(true) == StartResult::kThreadFailed) {
            ShowWarning(Translate("m_pDownloadTread == NULL!"));
            return;
        }
        SetUpdateStatus(112);
        SetCheckCaption(Translate("Starting connection!"));
        return;
    }
    if (!Ask("Make sure Stop?", Text(229), true, false)) return;
    updater_->Cancel();
    SetUpdateStatus(115);
    SetCheckCaption(Text(114));
    ShowProgressPair(false);
}

void T_wexfoldDlg::AutomaticCheck() {
    if (update_.autoCheck != 1 || updateMinutes_ != kAutomaticMinutes) {
        ++updateMinutes_;
        return;
    }
    updateMinutes_ = 0;
    // It compares the list of the last check of this run, and fetches one when there is none;
    // a check that runs already is left alone.
    if (updater_->StartCheck(false) == StartResult::kThreadFailed) {
        ShowWarning(Translate("m_pDownloadTread == NULL!"));
    }
}

void T_wexfoldDlg::ToggleAutoCheck() {
    update_.autoCheck = update_.autoCheck == 1 ? 0 : 1;
    updater_->autoCheck = update_.autoCheck;
    controls_.autoCheck->setAutoCheck(update_.autoCheck == 1);
    // Turned on, the next automatic check comes a full hour later.
    if (update_.autoCheck == 1) updateMinutes_ = 0;
}

void T_wexfoldDlg::OnUpdateStatus(const UpdateMessage& message) {
    switch (message.kind) {
        case UpdateMessageKind::kProgress: {
            if (message.report == nullptr) {
                SetUpdateStatus(125);
                return;
            }
            const ProgressReport& report = *message.report;
            if (report.statusCode == kStatusDownloading) {
                const std::uint32_t kb = report.progress / 1024;
                const std::uint32_t maxKb = report.progressMax / 1024;
                // Below 1 KB in all the share cannot be taken in kilobytes; it is complete.
                const int percent = maxKb == 0 ? 100 : static_cast<std::int16_t>(kb * 100 / maxKb);
                controls_.updateProgress->setValue(percent);
                ShowUpdateText(controls_.updateStatus,
                               FormatText(Text(197), percent, message.file.c_str(),
                                          static_cast<int>(kb), static_cast<int>(maxKb)));
            } else if (report.statusCode != kStatusCacheFile) {
                ShowUpdateText(controls_.updateStatus, std::string(Text(198)) + report.serviceText);
            }
            return;
        }
        case UpdateMessageKind::kListEntry: {
            const UpdateListEntry& entry = *message.entry;
            const std::string date = LocalTime(entry.releaseTime, "%m/%d/20%y");
            const int size = entry.size / 1024;
            std::string text =
                message.wParam == 1
                    ? FormatText(Translate("Update List:\n\n* %s, %dKB, %s"), entry.name.c_str(),
                                 size, date.c_str())
                    : Cut(controls_.updateText->text().toStdString()) +
                          FormatText("\n* %s, %dKB, %s", entry.name.c_str(), size, date.c_str());
            ShowUpdateText(controls_.updateText, text);
            return;
        }
        case UpdateMessageKind::kState:
            SetUpdateStatus(static_cast<int>(message.value));
            if (message.value == kTextNothingNew) {
                SetCheckCaption(Text(114));
            } else if (message.value == kTextConnected &&
                       controls_.checkButton->text() ==
                           QString::fromUtf8(Translate("Starting connection!"))) {
                SetCheckCaption(Text(113));
            }
            return;
        case UpdateMessageKind::kCompared:
            ShowProgressPair(true);
            SetCheckCaption(Text(113));
            return;
        case UpdateMessageKind::kDownloaded: {
            update_.lastUpdate = services_.clock->Now();
            ShowUpdateText(controls_.updateText, std::string(Translate("Update successed! ")) +
                                                     LocalTime(update_.lastUpdate, "%c"));
            ReportFailure(SaveUpdateRecord(update_));
            ShowProgressPair(false);
            // A downloaded file is opened only when the user says so.
            if (Ask("Note", FormatText(Translate(kOpenQuestion), message.file.c_str()), true,
                    false)) {
                services_.openDocument(message.path);
            }
            return;
        }
        case UpdateMessageKind::kFailed:
            ShowUpdateText(controls_.updateText, Translate("Download file failed!"));
            ShowProgressPair(false);
            return;
    }
}

}  // namespace wexfold
