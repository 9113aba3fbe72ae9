// The update's message boxes: every one has an OK button and the
// exclamation icon, the success and already-current boxes included, and the
// context's owner. Internal to update/.
//
// Entry points: ShowUpdateWarning, ShowUpdateInformation.
#pragma once

#include <string_view>

#include "update/database_update.h"

namespace kv {

// String `textId` under the caption "Warning".
void ShowUpdateWarning(const UpdateContext& context, int textId);

// `text` under the caption "Information".
void ShowUpdateInformation(const UpdateContext& context, std::u16string_view text);

}  // namespace kv
