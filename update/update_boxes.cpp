// The update's boxes, with their texts and captions from the string table.
#include "update/update_boxes.h"

#include "resources/string_table.h"

namespace kv {
namespace {

void ShowOkBox(const UpdateContext& context, std::u16string_view text, int captionId) {
  (void)context.boxes.Show(context.owner, text, strings::LoadString(captionId), MessageButtons::kOk,
                           MessageIcon::kWarning);
}

}  // namespace

void ShowUpdateWarning(const UpdateContext& context, int textId) {
  ShowOkBox(context, strings::LoadString(textId), strings::kCaptionWarning);
}

void ShowUpdateInformation(const UpdateContext& context, std::u16string_view text) {
  ShowOkBox(context, text, strings::kCaptionInformation);
}

}  // namespace kv
