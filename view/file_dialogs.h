#pragma once

// The dialogs the stores show (import, export, image picker, their warnings) behind one small seam, so that
// tests can answer them; the program uses the real Qt dialogs.

#include <QString>

#include <memory>

class QWidget;

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // An empty string when the user cancelled.
    virtual QString getOpenFileName(const QString& caption, const QString& folder, const QString& filter) = 0;
    virtual QString getSaveFileName(const QString& caption, const QString& folder, const QString& filter) = 0;
    // A modal warning without parent, with one Ok button.
    virtual void warning(const QString& title, const QString& text) = 0;
};

// A dialog text in the view's translation context.
QString dialogText(const char* text);
// Where import and export dialogs start: the user's desktop.
QString desktopFolder();

// The Qt dialogs, parented to `parent` (the view).
std::unique_ptr<FileDialogs> makeQtFileDialogs(QWidget* parent);

// The dialogs the stores hold on to: it passes every call to the implementation behind it, which can be
// replaced (the scene tests answer the dialogs of a whole window this way).
class SwitchableFileDialogs final : public FileDialogs
{
public:
    explicit SwitchableFileDialogs(std::unique_ptr<FileDialogs> first) : target(std::move(first)) {}
    void replace(std::unique_ptr<FileDialogs> next) { target = std::move(next); }

    QString getOpenFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        return target->getOpenFileName(caption, folder, filter);
    }
    QString getSaveFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        return target->getSaveFileName(caption, folder, filter);
    }
    void warning(const QString& title, const QString& text) override { target->warning(title, text); }

private:
    std::unique_ptr<FileDialogs> target;
};
