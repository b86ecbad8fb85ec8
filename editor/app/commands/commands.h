// The user's actions as command objects: the frame makes one for each action, keeps it as the
// current command and executes it once.
#pragma once

#include "commands/command_context.h"

#include <string>

namespace vorn {

class CExtendedXmlDocument;

class Command {
public:
    virtual ~Command() = default;
    virtual void Execute() = 0;
};

// An operation on one document.
class TxtDocCommand : public Command {
public:
    enum Kind {
        New = 0,
        Save = 1,
        SaveAs = 2,
        CheckXml = 3,
        Play = 4,
        ViewTags = 5,
        Font = 6,
        CopyFullPath = 8,
        CopyFileName = 9,
        GoToLine = 10,
        OpenContainingFolder = 11,
        SaveBase64AsBinary = 12,
    };

    TxtDocCommand(CommandContext& context, IDocument& document, Kind kind)
        : m_context(context), m_document(document), m_kind(kind) {}
    void Execute() override;

private:
    CommandContext& m_context;
    IDocument& m_document;
    Kind m_kind;
};

// An operation on the set of documents. Close, Close All and Close All But This tell whether
// every document they were to close did close.
class TxtContainerCommand : public Command {
public:
    enum Kind { Open = 0, Close = 1, CloseAll = 2, CloseAllButThis = 3 };

    TxtContainerCommand(CommandContext& context, Kind kind) : m_context(context), m_kind(kind) {}
    void Execute() override;
    bool closed() const { return m_closed; }

private:
    CommandContext& m_context;
    Kind m_kind;
    bool m_closed = false;
};

// An editing operation on one document's text.
class TxtBufferCommand : public Command {
public:
    enum Kind {
        Undo = 0,
        Redo = 1,
        Cut = 2,
        CutAll = 3,
        Copy = 4,
        CopyAll = 5,
        Paste = 6,
        Delete = 7,
        SelectAll = 8,
    };

    TxtBufferCommand(IDocument& document, Kind kind) : m_document(document), m_kind(kind) {}
    void Execute() override;

private:
    IDocument& m_document;
    Kind m_kind;
};

// Opens one file as a new document: a drop, a recent entry or the command line. The caller
// decides about the recent list from whether it opened.
class DropCommand : public Command {
public:
    DropCommand(CommandContext& context, std::string path)
        : m_context(context), m_path(std::move(path)) {}
    void Execute() override;
    bool opened() const { return m_opened; }

private:
    CommandContext& m_context;
    std::string m_path;
    bool m_opened = false;
};

// Builds a document's side panel from its text again.
class RebuildExtendedInfoCommand : public Command {
public:
    explicit RebuildExtendedInfoCommand(CExtendedXmlDocument& document) : m_document(document) {}
    void Execute() override;

private:
    CExtendedXmlDocument& m_document;
};

// Plays a file given on the command line.
class PlayAfterStartCommand : public Command {
public:
    PlayAfterStartCommand(CommandContext& context, std::string path)
        : m_context(context), m_path(std::move(path)) {}
    void Execute() override;

private:
    CommandContext& m_context;
    std::string m_path;
};

// Inserts a template chosen from a list: 0 tags, 1 actions, 2 records.
class InserTemplateTagCommand : public Command {
public:
    InserTemplateTagCommand(IDocument& document, int kind) : m_document(document), m_kind(kind) {}
    void Execute() override;

private:
    IDocument& m_document;
    int m_kind;
};

// The commands of the tools and the side panel, carried out by their hooks.
class ViewHexColorDialogCommand : public Command {
public:
    ViewHexColorDialogCommand(CommandContext& context, IDocument& document)
        : m_context(context), m_document(document) {}
    void Execute() override;

private:
    CommandContext& m_context;
    IDocument& m_document;
};

class WhatColorCommand : public Command {
public:
    WhatColorCommand(CommandContext& context, IDocument& document)
        : m_context(context), m_document(document) {}
    void Execute() override;

private:
    CommandContext& m_context;
    IDocument& m_document;
};

class CBase64EncoderCommand : public Command {
public:
    explicit CBase64EncoderCommand(CommandContext& context) : m_context(context) {}
    void Execute() override;

private:
    CommandContext& m_context;
};

class ViewtabsControlCommand : public Command {
public:
    explicit ViewtabsControlCommand(CommandContext& context) : m_context(context) {}
    void Execute() override;

private:
    CommandContext& m_context;
};

class AboutCommand : public Command {
public:
    explicit AboutCommand(CommandContext& context) : m_context(context) {}
    void Execute() override;

private:
    CommandContext& m_context;
};

// Opens the update page and the home page in the user's browser.
class GotoUpdateCommand : public Command {
public:
    void Execute() override;
};

class GotoHomePageCommand : public Command {
public:
    void Execute() override;
};

} // namespace vorn
