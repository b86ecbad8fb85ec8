// The Base64 tools: the "Base64 Encoder" dialog, which turns a file into the dialect's Base64
// text and such text back into a file, and Save Base64 As Binary, which writes the Base64
// text selected in a document as a file.
#pragma once

#include <QDialog>

#include <string>

class QMenuBar;
class QPlainTextEdit;

namespace vorn {

class IDocument;
class IPrompts;
struct CommandContext;

class CBase64Encoder : public QDialog {
    Q_OBJECT

public:
    // Dialogs and boxes go through `prompts`, which must outlive the dialog.
    CBase64Encoder(IPrompts& prompts, QWidget* parent = nullptr);

    QPlainTextEdit* field() const { return m_field; }
    QMenuBar* menu() const { return m_menu; }

    // File, Open...: the chosen file's bytes as the field's text, all of it selected.
    void openFile();
    // Opens one file as openFile does after its dialog. False (with the box shown) when the
    // file cannot be read.
    bool loadFile(const std::string& path);
    // File, Save As...: the field's Base64 decoded into a chosen file.
    void saveAs();

private:
    IPrompts& m_prompts;
    QMenuBar* m_menu;
    QPlainTextEdit* m_field;
};

void base64Encoder(CommandContext& context);

// Save Base64 As Binary... on a document's selection. Nothing happens without a selection; a
// selection that is not Base64 says so before any file is asked for.
void saveBase64AsBinary(CommandContext& context, IDocument& document);

} // namespace vorn
