#include <platform/filedialog.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <mutex>

namespace platform {

namespace {

std::mutex hookMutex;
FileDialogHook hook;

// "Desc|*.a;*.b|Desc2|*.c" to Qt's "Desc (*.a *.b)" list.
QStringList qtFilters(const QString& filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (pattern.isEmpty())
            continue;
        // Descriptions often repeat the pattern: "Mem files (*.mem)".
        const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (desc.endsWith(shown))
            desc.chop(shown.size());
        desc = desc.trimmed();
        QString patterns = pattern;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << (desc.isEmpty() ? patterns : desc + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return out;
}

QString extension(const QString& defaultExt)
{
    QString ext = defaultExt.trimmed();
    while (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return ext;
}

} // namespace

TFileDialog::TFileDialog(Kind kind, QWidget* parent) : kind_(kind), parent_(parent) {}

bool TFileDialog::Execute()
{
    FileDialogHook h;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        h = hook;
    }
    bool chosen;
    if (h) {
        chosen = h(*this);
    } else {
        QFileDialog dlg(parent_, Title);
        // Qt's own dialog: a desktop's native one is no modal window of the program, so
        // the stay-on-top windows would not step back for it.
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        dlg.setAcceptMode(kind_ == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(kind_ == Kind::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        const QStringList filters = qtFilters(Filter);
        if (!filters.isEmpty())
            dlg.setNameFilters(filters);
        dlg.setDefaultSuffix(extension(DefaultExt));
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !OverwritePrompt);
        QFileInfo proposed(FileName);
        if (!InitialDir.isEmpty())
            dlg.setDirectory(InitialDir);
        else if (!FileName.isEmpty() && proposed.isAbsolute())
            dlg.setDirectory(proposed.absolutePath());
        if (!FileName.isEmpty())
            dlg.selectFile(proposed.isAbsolute() || InitialDir.isEmpty() ? FileName : QDir(InitialDir).filePath(FileName));
        chosen = dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty();
        if (chosen)
            FileName = dlg.selectedFiles().first();
    }
    if (!chosen)
        return false;

    const QString ext = extension(DefaultExt);
    if (!ext.isEmpty() && !FileName.isEmpty() && QFileInfo(FileName).suffix().isEmpty()) {
        // An existing file opened as named keeps its name.
        if (kind_ == Kind::Save || !QFileInfo::exists(FileName)) {
            if (!FileName.endsWith(QLatin1Char('.')))
                FileName += QLatin1Char('.');
            FileName += ext;
        }
    }
    return true;
}

void SetFileDialogHook(FileDialogHook h)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = std::move(h);
}

} // namespace platform
