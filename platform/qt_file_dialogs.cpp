// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_file_dialogs.h"

#include "qt_messages.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace veltrin {

namespace {

// Runs the dialog in a loop of its own without making it modal, as an
// unowned common dialog behaves: the other windows keep taking clicks.
bool runUnowned(QFileDialog &dialog)
{
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.setWindowModality(Qt::NonModal);
    dialog.show();
    loop.exec();
    return dialog.result() == QDialog::Accepted;
}

bool confirmCreate(const QString &title, const QString &path)
{
    const auto answer = QMessageBox::question(
        nullptr, title, say(messages::createQuestion, {{u"path", QDir::toNativeSeparators(path)}}),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

} // namespace

int QtFileDialogs::GetOpenFileNameA(OPENFILENAME &ofn)
{
    return run(ofn, false);
}

int QtFileDialogs::GetSaveFileNameA(OPENFILENAME &ofn)
{
    return run(ofn, true);
}

int QtFileDialogs::run(OPENFILENAME &ofn, bool save)
{
    QFileDialog dialog(nullptr, ofn.lpstrTitle);
    // The non-native dialog behaves the same everywhere and lets an Open
    // accept a name that does not exist yet.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool createPrompt = !save && (ofn.Flags & OPENFILENAME::OFN_CREATEPROMPT) != 0;
    dialog.setFileMode(save || createPrompt ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if ((ofn.Flags & OPENFILENAME::OFN_OVERWRITEPROMPT) == 0)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // QFileDialog has no read-only check box, which OFN_HIDEREADONLY asks for.
    if (const QStringList filters = nameFiltersFrom(ofn.lpstrFilter); !filters.isEmpty()) {
        dialog.setNameFilters(filters);
        // Index 0 asks for the first filter, which the dialog starts with anyway.
        for (const QString &filter : filters)
            if (filterIndexOf(ofn.lpstrFilter, filter) == ofn.nFilterIndex)
                dialog.selectNameFilter(filter);
    }
    if (!ofn.lpstrInitialDir.isEmpty())
        dialog.setDirectory(ofn.lpstrInitialDir);
    if (!ofn.lpstrDefExt.isEmpty())
        dialog.setDefaultSuffix(ofn.lpstrDefExt);
    if (const QString initial = textBeforeNul(ofn.lpstrFile); !initial.isEmpty())
        dialog.selectFile(initial);

    for (;;) {
        if (!runUnowned(dialog))
            return 0;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty())
            return 0;
        const QString path = QDir::toNativeSeparators(chosen.constFirst());
        // A no to the create question returns to the dialog, as the common one does.
        if (createPrompt && !QFileInfo::exists(path) && !confirmCreate(ofn.lpstrTitle, path))
            continue;
        // The common dialog reports the filter the user left chosen.
        ofn.nFilterIndex = filterIndexOf(ofn.lpstrFilter, dialog.selectedNameFilter());
        return storeChosenPath(ofn, path);
    }
}

} // namespace veltrin
