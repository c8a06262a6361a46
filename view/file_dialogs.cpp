#include "file_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>

namespace {

class QtFileDialogs final : public FileDialogs
{
public:
    explicit QtFileDialogs(QWidget* parentWidget) : parent(parentWidget) {}

    QString getOpenFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    }
    QString getSaveFileName(const QString& caption, const QString& folder, const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, folder, filter);
    }
    void warning(const QString& title, const QString& text) override
    {
        QMessageBox::warning(nullptr, title, text, QMessageBox::Ok);
    }

private:
    QPointer<QWidget> parent;
};

} // namespace

std::unique_ptr<FileDialogs> makeQtFileDialogs(QWidget* parent)
{
    return std::make_unique<QtFileDialogs>(parent);
}

QString dialogText(const char* text)
{
    return QCoreApplication::translate("myQQuickView", text);
}

QString desktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}
