// Every message box and modal dialog of the editor goes through IPrompts, so that tests answer
// them from a script instead of a person: the program uses QtPrompts, tests ScriptedPrompts.
#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <vector>

class QDialog;
class QWidget;

namespace vorn {

class IPrompts {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~IPrompts() = default;

    // Boxes with a warning, an information or a question icon, owned by `owner` (may be null).
    virtual void warning(QWidget* owner, const QString& text, const QString& caption) = 0;
    virtual void information(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Yes, No and Cancel buttons; closing the box counts as Cancel.
    virtual Answer question(QWidget* owner, const QString& text, const QString& caption) = 0;
    // The system beep of a failed search or a refused entry.
    virtual void beep() = 0;
    // Runs a modal dialog (Go To Line, the template chooser, file, font, colour, page setup
    // and print dialogs) and gives its result code, QDialog::Accepted or QDialog::Rejected.
    virtual int exec(QDialog& dialog) = 0;
};

// The real boxes and dialogs.
class QtPrompts final : public IPrompts {
public:
    void warning(QWidget* owner, const QString& text, const QString& caption) override;
    void information(QWidget* owner, const QString& text, const QString& caption) override;
    Answer question(QWidget* owner, const QString& text, const QString& caption) override;
    void beep() override;
    int exec(QDialog& dialog) override;
};

// Answers from a script and remembers what was shown, in order. A question without a scripted
// answer gets Cancel and a dialog without a script is rejected; both are counted in
// `unscripted`, so a test notices a prompt it did not expect.
class ScriptedPrompts final : public IPrompts {
public:
    struct Shown {
        QString kind; // "warning", "information", "question" or "dialog"
        QString text; // empty for a dialog
        QString caption;
        bool operator==(const Shown&) const = default;
    };

    void warning(QWidget* owner, const QString& text, const QString& caption) override;
    void information(QWidget* owner, const QString& text, const QString& caption) override;
    Answer question(QWidget* owner, const QString& text, const QString& caption) override;
    void beep() override;
    // Runs the next script on the dialog without showing it; the script works the dialog's
    // widgets and the result is what the dialog holds afterwards (accept() or reject() set it).
    int exec(QDialog& dialog) override;

    std::deque<Answer> answers;
    std::deque<std::function<void(QDialog&)>> dialogs;
    std::vector<Shown> shown;
    int beeps = 0;
    int unscripted = 0;
};

} // namespace vorn
