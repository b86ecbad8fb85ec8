#include "view/prompts.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace vorn {

void QtPrompts::warning(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox::warning(owner, caption, text);
}

void QtPrompts::information(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox::information(owner, caption, text);
}

IPrompts::Answer QtPrompts::question(QWidget* owner, const QString& text, const QString& caption) {
    const auto button = QMessageBox::question(
        owner, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    if (button == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

void QtPrompts::beep() {
    QApplication::beep();
}

int QtPrompts::exec(QDialog& dialog) {
    return dialog.exec();
}

void ScriptedPrompts::warning(QWidget*, const QString& text, const QString& caption) {
    shown.push_back({"warning", text, caption});
}

void ScriptedPrompts::information(QWidget*, const QString& text, const QString& caption) {
    shown.push_back({"information", text, caption});
}

IPrompts::Answer ScriptedPrompts::question(QWidget*, const QString& text, const QString& caption) {
    shown.push_back({"question", text, caption});
    if (answers.empty()) {
        ++unscripted;
        return Answer::Cancel;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedPrompts::beep() {
    ++beeps;
}

int ScriptedPrompts::exec(QDialog& dialog) {
    shown.push_back({"dialog", QString(), dialog.windowTitle()});
    dialog.setResult(QDialog::Rejected);
    if (dialogs.empty()) {
        ++unscripted;
        return QDialog::Rejected;
    }
    const auto script = std::move(dialogs.front());
    dialogs.pop_front();
    script(dialog);
    return dialog.result();
}

} // namespace vorn
