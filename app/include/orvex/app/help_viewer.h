// The help viewer: the numbered topics of the help file "Orvex32alphaRUS",
// shipped inside the program, with a contents page and back and forward.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace orvex {

inline constexpr const char *kHelpFile = "Orvex32alphaRUS";

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *parent = nullptr);

    // Sets the help file to "Orvex32alphaRUS.hlp" and opens its contents.
    void ShowContents();
    // Opens a numbered topic; a number without a page opens the contents.
    void ShowTopic(int topic);
    // The topic shown, 0 for the contents.
    int CurrentTopic() const;
    QString CurrentTitle() const;
    QString HelpFileName() const { return helpFile_; }

    // The numbered topics the help file holds.
    static QList<int> Topics();

private:
    void Show(const QString &page);

    QTextBrowser *browser_;
    QString helpFile_;
};

} // namespace orvex
