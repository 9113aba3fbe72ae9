// The quarantine dialog: layout, the list of items, Restore and Delete.
#include "ui/quarantine_dialog.h"

#include <QDateTime>
#include <algorithm>

#include "resources/command_ids.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "ui/line_list.h"
#include "ui/list_dialog.h"
#include "ui/qt_text.h"

namespace kv {
namespace {

// The record's UTC time "2026-12-07T04:16:15Z" in local time, as the log
// dates its lines; a time that does not parse as it stands.
std::u16string ShownTime(const std::string& stored) {
  const QDateTime utc = QDateTime::fromString(QString::fromStdString(stored), Qt::ISODate);
  if (!utc.isValid()) return std::u16string(stored.begin(), stored.end());
  const QDateTime local = utc.toLocalTime();
  return strings::FormatText(strings::LoadString(strings::kQuarantineItemTime),
                             {local.date().year(), local.date().month(), local.date().day(),
                              local.time().hour(), local.time().minute()});
}

bool IsListed(const QuarantineItem& item) {
  return item.state == QuarantineItemState::kQuarantined ||
         item.state == QuarantineItemState::kMissing;
}

}  // namespace

std::vector<QuarantineLine> QuarantineLines(const QuarantineListing& listing,
                                            const QFontMetrics& metrics, int width) {
  std::vector<QuarantineLine> lines;
  // The index is appended in time order: reversed it is newest first, and
  // the stable sort only mends a clock that went back.
  for (auto at = listing.items.rbegin(); at != listing.items.rend(); ++at) {
    const QuarantineItem& item = *at;
    if (!IsListed(item)) continue;
    const std::u16string_view detail = strings::LoadString(
        item.state == QuarantineItemState::kMissing ? strings::kQuarantineItemMissing
                                                    : strings::kQuarantineItemDetail);
    const std::u16string time = ShownTime(item.record.time);
    // The time stays whole; a long signature gives way to it.
    const int room =
        width - metrics.horizontalAdvance(ToQString(strings::FormatText(detail, {u"", time})));
    const std::u16string signature =
        FromQString(metrics.elidedText(ToQString(item.record.signature), Qt::ElideRight, room));
    lines.push_back({item, ToQString(item.record.path + u"\n" +
                                     strings::FormatText(detail, {signature, time}))});
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const QuarantineLine& a, const QuarantineLine& b) {
                     return a.item.record.time > b.item.record.time;
                   });
  return lines;
}

QuarantineDialog::QuarantineDialog(const UiContext& context, const Store& store, QWidget* owner)
    : QDialog(owner, Qt::FramelessWindowHint), context_(context), store_(store) {
  const ListDialogControls controls = CreateListDialog(
      *this, context, LoadQString(strings::kQuarantineTitle), ids::kQuarantineMenu,
      [this](int command) { OnCommand(command); }, owner, titlePanel_);
  status_ = controls.status;
  list_ = controls.list;
  if (status_ == nullptr || list_ == nullptr) return;
  connect(list_, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
  Refresh(0);
}

void QuarantineDialog::Refresh(int row) {
  const Result<QuarantineListing> listed = ListQuarantine(store_);
  readable_ = listed.Ok();
  const QuarantineListing& listing = listed.value;
  // The scroll bar takes room only from a list longer than the view.
  const QFontMetrics metrics(list_->font());
  lines_ = readable_ ? QuarantineLines(listing, metrics, ListTextRoom(*list_, false))
                     : std::vector<QuarantineLine>{};
  if (static_cast<int>(lines_.size()) * 2 * metrics.lineSpacing() >
      list_->contentsRect().height()) {
    lines_ = QuarantineLines(listing, metrics, ListTextRoom(*list_, true));
  }
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const QuarantineLine& line : lines_) list_->addItem(line.text);
  if (!lines_.empty()) {
    list_->setCurrentRow(std::clamp(row, 0, static_cast<int>(lines_.size()) - 1));
  }
  ShowSelected();
}

void QuarantineDialog::ShowSelected() {
  if (const QuarantineItem* item = Selected()) {
    status_->setText(ToQString(item->record.path));
  } else if (!lines_.empty()) {
    status_->clear();
  } else {
    status_->setText(
        LoadQString(readable_ ? strings::kQuarantineEmpty : strings::kQuarantineUnreadable));
  }
}

const QuarantineItem* QuarantineDialog::Selected() const {
  const int row = list_ == nullptr ? -1 : list_->currentRow();
  if (row < 0 || row >= static_cast<int>(lines_.size())) return nullptr;
  return &lines_[static_cast<std::size_t>(row)].item;
}

void QuarantineDialog::OnCommand(int command) {
  if (command == ids::kRestoreItem) {
    ChangeSelected(true);
  } else if (command == ids::kPurgeItem) {
    ChangeSelected(false);
  } else if (command == ids::kBack || command == ids::kOk || command == ids::kCancel) {
    done(0);
  }
}

void QuarantineDialog::ChangeSelected(bool restore) {
  const QuarantineItem* item = Selected();
  if (item == nullptr) return;
  const std::u16string path = item->record.path;
  const std::string id = item->record.id;
  if (!Ask(restore ? strings::kAskRestoreItem : strings::kAskPurgeItem, path)) return;
  const QuarantineChange change =
      restore ? RestoreQuarantineItem(store_, id).change : PurgeQuarantineItem(store_, id).change;
  // A purge that went through needs no word; every other ending does.
  switch (change) {
    case QuarantineChange::kDone:
      if (restore) {
        Tell(strings::kItemRestored, path, strings::kCaptionFinished, MessageIcon::kInformation);
      }
      break;
    case QuarantineChange::kNoSuchItem:
      Tell(strings::kItemNoLongerQuarantined, path, strings::kCaptionWarning,
           MessageIcon::kWarning);
      break;
    case QuarantineChange::kNotRecorded:
      Tell(strings::kItemChangeNotRecorded, path, strings::kCaptionWarning, MessageIcon::kWarning);
      break;
    case QuarantineChange::kTargetExists:
    case QuarantineChange::kTargetMissing:
      if (restore) {
        Tell(change == QuarantineChange::kTargetExists ? strings::kRestoreTargetExists
                                                       : strings::kRestoreFolderMissing,
             path, strings::kCaptionWarning, MessageIcon::kWarning);
        break;
      }
      [[fallthrough]];
    case QuarantineChange::kFailed:
      Tell(restore ? strings::kCannotRestoreItem : strings::kCannotPurgeItem, path,
           strings::kCaptionError, MessageIcon::kError);
      break;
  }
  Refresh(list_->currentRow());
}

bool QuarantineDialog::Ask(int text, const std::u16string& path) {
  return context_.boxes.Show(this, strings::FormatText(strings::LoadString(text), {path}),
                             strings::LoadString(strings::kCaptionQuestion), MessageButtons::kYesNo,
                             MessageIcon::kQuestion) == MessageAnswer::kYes;
}

void QuarantineDialog::Tell(int text, const std::u16string& path, int caption, MessageIcon icon) {
  (void)context_.boxes.Show(this, strings::FormatText(strings::LoadString(text), {path}),
                            strings::LoadString(caption), MessageButtons::kOk, icon);
}

void OpenQuarantineDialog(const UiContext& context, const Store& store, QWidget* owner) {
  QuarantineDialog dialog(context, store, owner);
  dialog.exec();
}

}  // namespace kv
