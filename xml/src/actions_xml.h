// Action lists in XML, shared by every element that holds script: DoAction and DoInitAction,
// clip actions and button condition actions.
#pragma once

#include "libswf/actions.h"

#include "swfxml/values.h"

namespace swfxml {

// Appends one element per action to `list`, in list order, End actions included. `level`
// counts the elements from the tag element down to `list`, both included (2 for the Actions
// of a DoAction); base64 payloads are laid out from it.
void writeActions(SwfXmlOut& list, const libswf::SwfActions& actions, int level);
// Appends the element of one action to `list`.
void writeAction(SwfXmlOut& list, const libswf::SwfAction& action, int level);
// Appends the element of one push value to `push`.
void writeValue(SwfXmlOut& push, const libswf::SwfValue& value);

// Reads the action elements under `list` into `target`, for a list that the binary form ends
// with End (DoAction, DoInitAction, clip and button actions): names are matched without regard
// to case, unknown names are skipped, End elements are dropped wherever they stand and exactly
// one End is appended. The bodies of With, DefineFunction, DefineFunction2 and Try are read
// as written, without an End of their own, since their sizes delimit them.
// Without endWhenEmpty, a list without any child element stays empty, without its End.
void readActions(const SwfXmlIn& list, libswf::SwfActions& target, bool endWhenEmpty = true);

} // namespace swfxml
