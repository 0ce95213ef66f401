#include "platform/backend.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QString>

namespace {

QString Caption() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QApplication::applicationName() : name;
}

double ScreenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

// The dialog lists sizes in points, so the seed is given in points too.
QFont ToQFont(const TFontDialogFont& f) {
    QFont font(QString::fromStdU16String(f.Name));
    font.setPointSizeF((f.Height > 0 ? f.Height : 11) * 72.0 / ScreenDpi());
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    return font;
}

int PixelHeight(const QFont& font) {
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return static_cast<int>(font.pointSizeF() * ScreenDpi() / 72.0 + 0.5);
}

} // namespace

TModalResult backend::ShowMessageBox(TMessageBoxKind kind, const std::u16string& text) {
    if (kind == TMessageBoxKind::mbError) {
        QMessageBox box(QMessageBox::Critical, Caption(), QString::fromStdU16String(text),
                        QMessageBox::Ok, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        return TModalResult::mrOK;
    }
    QMessageBox box(QMessageBox::Information, Caption(), QString::fromStdU16String(text),
                    QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? TModalResult::mrOK : TModalResult::mrCancel;
}

bool backend::ShowFontDialog(TFontDialogFont& font) {
    // The toolkit's own dialog, so that it looks and behaves alike on every desktop.
    QFontDialog dialog(ToQFont(font), QApplication::activeWindow());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // Offer the faces that write Russian, and show a Cyrillic sample.
    if (auto* writing = dialog.findChild<QComboBox*>()) {
        const int cyrillic =
            writing->findText(QFontDatabase::writingSystemName(QFontDatabase::Cyrillic));
        if (cyrillic >= 0)
            writing->setCurrentIndex(cyrillic);
    }
    if (auto* sample = dialog.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit")))
        sample->setText(QFontDatabase::writingSystemSample(QFontDatabase::Cyrillic));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QFont chosen = dialog.selectedFont();
    font.Name = chosen.family().toStdU16String();
    font.Height = PixelHeight(chosen);
    font.Bold = chosen.bold();
    font.Italic = chosen.italic();
    font.Underline = chosen.underline();
    font.StrikeOut = chosen.strikeOut();
    return true;
}

std::u16string backend::ShowFileDialog(bool save, const std::u16string& title,
                                       const std::vector<TFileFilter>& filters,
                                       const std::u16string& fileName) {
    QStringList names;
    for (const auto& filter : filters) {
        QString patterns = QString::fromStdU16String(filter.Patterns);
        patterns.replace(u';', u' ');
        names << QString::fromStdU16String(filter.Name) + QStringLiteral(" (") + patterns +
                     QStringLiteral(")");
    }
    // The toolkit's own dialog, in the program's language on every desktop.
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdU16String(title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(names);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.selectFile(QString::fromStdU16String(fileName));
        if (!filters.empty()) {
            QString first = QString::fromStdU16String(filters.front().Patterns).section(u';', 0, 0);
            if (first.startsWith(QStringLiteral("*.")))
                dialog.setDefaultSuffix(first.mid(2));
        }
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdU16String();
}
