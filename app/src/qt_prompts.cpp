#include "orvex/app/qt_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace orvex {

namespace {

QWidget *DialogParent() {
    return QApplication::activeWindow();
}

const char *TypeCaption(MessageType type) {
    const char *caption = MessageTypeCaption(type);
    return *caption ? caption : kApplicationTitle;
}

QMessageBox::Icon TypeIcon(MessageType type) {
    switch (type) {
    case MessageType::Warning:
        return QMessageBox::Warning;
    case MessageType::Error:
        return QMessageBox::Critical;
    case MessageType::Information:
        return QMessageBox::Information;
    case MessageType::Confirmation:
        return QMessageBox::Question;
    case MessageType::Custom:
        break;
    }
    return QMessageBox::NoIcon;
}

// Our buttons in the order a box shows them, with Qt's button and our answer.
struct ButtonMap {
    MessageButton ours;
    QMessageBox::StandardButton qt;
    ModalResult result;
};
constexpr ButtonMap kButtons[] = {
    {ButtonYes, QMessageBox::Yes, ModalResult::Yes},
    {ButtonNo, QMessageBox::No, ModalResult::No},
    {ButtonOk, QMessageBox::Ok, ModalResult::Ok},
    {ButtonCancel, QMessageBox::Cancel, ModalResult::Cancel},
    {ButtonAbort, QMessageBox::Abort, ModalResult::Abort},
    {ButtonRetry, QMessageBox::Retry, ModalResult::Retry},
    {ButtonIgnore, QMessageBox::Ignore, ModalResult::Ignore},
};

void SetUp(QFileDialog &dialog, const FileDialogRequest &request) {
    if (!request.title.empty()) dialog.setWindowTitle(QString::fromStdString(request.title));
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size()
                              ? request.filterIndex - 1
                              : 0;
        dialog.selectNameFilter(filters[index]);
    }
    if (!request.initialDir.empty())
        dialog.setDirectory(QString::fromStdString(request.initialDir));
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
}

} // namespace

QStringList QtNameFilters(const std::string &filter) {
    QStringList filters;
    for (const auto &[description, patterns] : SplitDialogFilter(filter)) {
        QString text = QString::fromStdString(description);
        QString spaced = QString::fromStdString(patterns).replace(';', ' ');
        // Qt reads the patterns from the parenthesised end of the description.
        if (!text.endsWith("(" + spaced + ")")) text += " (" + spaced + ")";
        filters << text;
    }
    return filters;
}

ModalResult QtPrompts::Message(const MessageRequest &request) {
    QMessageBox box(TypeIcon(request.type),
                    QString::fromUtf8(request.caption.empty() ? TypeCaption(request.type)
                                                              : request.caption.c_str()),
                    QString::fromStdString(request.text), QMessageBox::NoButton, DialogParent());
    for (const ButtonMap &b : kButtons)
        if (request.buttons & b.ours) box.addButton(b.qt);
    if (box.buttons().isEmpty()) box.addButton(QMessageBox::Ok);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonMap &b : kButtons)
        if (b.qt == clicked) return b.result;
    // Closed with Escape or the frame: the box's way of saying no.
    if (request.buttons & ButtonCancel) return ModalResult::Cancel;
    if (request.buttons & ButtonNo) return ModalResult::No;
    return ModalResult::None;
}

std::vector<std::string> QtPrompts::OpenFiles(const FileDialogRequest &request) {
    QFileDialog dialog(DialogParent());
    SetUp(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.allowMultiple ? QFileDialog::ExistingFiles
                                             : QFileDialog::ExistingFile);
    std::vector<std::string> chosen;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString &file : dialog.selectedFiles())
            chosen.push_back(file.toStdString());
    return chosen;
}

std::optional<std::string> QtPrompts::SaveFile(const FileDialogRequest &request) {
    QFileDialog dialog(DialogParent());
    SetUp(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

bool QtPrompts::Print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

} // namespace orvex
