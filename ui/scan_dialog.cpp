// The scan and log dialog: layout, start, hand-over, log view, commands.
#include "ui/scan_dialog.h"

#include <QApplication>
#include <QCloseEvent>

#include "log/log_file.h"
#include "log/log_reader.h"
#include "platform/limits.h"
#include "resources/command_ids.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "ui/line_list.h"
#include "ui/list_dialog.h"
#include "ui/qt_text.h"

namespace kv {
namespace {

constexpr int kProgressFontDesignPixels = 10;
constexpr int kTickMilliseconds = 1000;

bool IsScanMode(ScanMode mode) {
  return mode == ScanMode::kMemory || mode == ScanMode::kFast || mode == ScanMode::kFull;
}

}  // namespace

ScanDialog::ScanDialog(const UiContext& context, ScanServices& services, ScanMode mode,
                       QWidget* owner)
    : QDialog(owner, Qt::FramelessWindowHint), context_(context), services_(services), mode_(mode) {
  const ListDialogControls controls = CreateListDialog(
      *this, context, LoadQString(strings::kProductName), ids::kScanMenu,
      [this](int command) { OnCommand(command); }, owner, titlePanel_);
  status_ = controls.status;
  list_ = controls.list;
  if (status_ == nullptr || list_ == nullptr) return;

  ShowSelectedLineWhole(*list_);
  services_.runner.Attach(this);
  if (IsScanMode(mode_)) {
    CreateProgress();
    StartScan();
  } else if (mode_ == ScanMode::kLogView) {
    ShowLog();
  }
}

ScanDialog::~ScanDialog() {
  services_.runner.Detach(this);
  RestoreCursor();
}

void ScanDialog::CreateProgress() {
  const float s = context_.Scale();
  QWidget* client = status_->parentWidget();
  const int width = client->width() - Scaled(s, 6);
  bar_ = new QProgressBar(client);
  bar_->setTextVisible(false);
  bar_->setGeometry(Scaled(s, 3), Scaled(s, 79), width, Scaled(s, 6));
  progressLine_ = new QLabel(client);
  progressLine_->setTextFormat(Qt::PlainText);
  QFont font = progressLine_->font();
  font.setPixelSize(Scaled(s, kProgressFontDesignPixels));
  progressLine_->setFont(font);
  progressLine_->setGeometry(Scaled(s, 3), Scaled(s, 86), width, Scaled(s, 13));
  bar_->show();
  progressLine_->show();
  elapsed_.start();
  tick_.setInterval(kTickMilliseconds);
  connect(&tick_, &QTimer::timeout, this, [this] { ShowProgress(); });
  tick_.start();
  ShowProgress();
}

void ScanDialog::ShowProgress() {
  const ProgressValues values = progress_.Values(std::chrono::milliseconds(elapsed_.elapsed()));
  if (values.percent) {
    bar_->setRange(0, 100);
    bar_->setValue(*values.percent);
  } else {
    bar_->setRange(0, 0);  // busy: nothing to measure against
  }
  progressLine_->setText(ToQString(ProgressLine(values)));
}

void ScanDialog::StartScan() {
  ShowWaitCursor();
  const ScanOutputs outputs{context_.boxes, parentWidget(), services_.clock};
  // Running from here, so that Back before the thread's first step already
  // counts the scan as running.
  running_ = true;
  // The thread may outlive the dialog: it keeps its own copy of the scan.
  const bool started = services_.runner.Start(
      [runScan = services_.runScan, mode = mode_, &runner = services_.runner,
       outputs](const StopToken& stop) { runScan(mode, stop, runner, outputs); });
  if (!started) {
    running_ = false;
    (void)context_.boxes.Show(this, strings::LoadString(strings::kCreateThreadFailed),
                              strings::LoadString(strings::kCaptionWarning), MessageButtons::kOk,
                              MessageIcon::kWarning);
  }
}

void ScanDialog::ShowLog() {
  status_->setText(LoadQString(strings::kLogViewStatus));
  ShowWaitCursor();
  logLoad_.Start(
      this,
      [this] {
        (void)ReadLogLines(services_.store, kLogPath, limits::kLogViewLineUnits, logLines_);
      },
      [this] { ShowLogLines(); });
}

void ScanDialog::ShowLogLines() {
  // Newest first, put in at once: inserting each line at the top would
  // move every line already there.
  QStringList newestFirst;
  newestFirst.reserve(static_cast<qsizetype>(logLines_.size()));
  for (auto line = logLines_.rbegin(); line != logLines_.rend(); ++line) {
    newestFirst.append(ToQString(*line));
  }
  logLines_.clear();
  AddLinesAtEnd(*list_, newestFirst);
  RestoreCursor();
}

void ScanDialog::HandleScanEvent(const ScanEvent& event) {
  const ScanLines lines = lines_.Lines(event);
  if (lines.status) status_->setText(ToQString(*lines.status));
  for (const std::u16string& line : lines.list) AddListLine(line);
  if (bar_ != nullptr) {
    progress_.Add(event);
    ShowProgress();
  }
  if (lines.ended) {
    if (const auto* finished = std::get_if<ScanFinished>(&event)) {
      AddListLine(SummaryLine(finished->tally));
    }
    tick_.stop();
    running_ = false;
    RestoreCursor();
  }
}

void ScanDialog::AddListLine(std::u16string_view text) { AddLineAtTop(*list_, ToQString(text)); }

void ScanDialog::OnCommand(int command) {
  const bool running = running_;
  if (command == ids::kBack || command == ids::kOk || command == ids::kCancel) {
    if (running) {
      (void)context_.boxes.Show(this, strings::LoadString(strings::kStopScanFirst),
                                strings::LoadString(strings::kCaptionInformation),
                                MessageButtons::kOk, MessageIcon::kInformation);
      return;
    }
    closing_ = true;
    done(0);
  } else if (command == ids::kStopScan) {
    if (running) {
      // Held while asked: the box's own event loop still shows its lines.
      services_.runner.Pause();
      const MessageAnswer answer =
          context_.boxes.Show(this, strings::LoadString(strings::kAskStopScan),
                              strings::LoadString(strings::kCaptionQuestion),
                              MessageButtons::kYesNo, MessageIcon::kQuestion);
      if (answer != MessageAnswer::kYes) {
        services_.runner.Resume();
        return;
      }
      services_.runner.Stop();
      running_ = false;
      RestoreCursor();
    }
    closing_ = true;
    done(0);
  }
}

void ScanDialog::reject() { OnCommand(ids::kCancel); }

void ScanDialog::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  event->ignore();
  OnCommand(ids::kCancel);
}

void ScanDialog::ShowWaitCursor() {
  if (waitCursor_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  waitCursor_ = true;
}

void ScanDialog::RestoreCursor() {
  if (!waitCursor_) return;
  QApplication::restoreOverrideCursor();
  waitCursor_ = false;
}

void OpenScanDialog(const UiContext& context, ScanServices& services, ScanMode mode,
                    QWidget* owner) {
  services.runner.WaitUntilIdle();
  ScanDialog dialog(context, services, mode, owner);
  dialog.exec();
}

}  // namespace kv
