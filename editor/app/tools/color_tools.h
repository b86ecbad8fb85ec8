// Insert Color As Hex: a colour chosen in the colour dialog, written into the text as the
// dialect writes colours.
#pragma once

namespace vorn {

class IDocument;
struct CommandContext;

// Replaces the selection (or inserts at the caret) with the chosen colour's number, alpha 0:
// green gives ff0000, white ffffff00. One step of the undo history, like typing it.
void insertColorAsHex(CommandContext& context, IDocument& document);

} // namespace vorn
