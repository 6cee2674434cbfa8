// A rich-text editor with its own small tool bar: bold, italic, underline, font size and colour.
// Pasted text keeps the formatting the word processor gave it.
#pragma once

#include <QByteArray>
#include <QWidget>

class QComboBox;
class QTextCharFormat;
class QTextEdit;
class QToolButton;

class RichEditor : public QWidget
{
    Q_OBJECT

public:
    // The editor itself carries editorName as its objectName (bodyEditor, stemEditor, ...); this
    // widget and the tool buttons are named after it (bodyEditorBox, bodyEditorBold,
    // bodyEditorItalic, bodyEditorUnderline, bodyEditorSize, bodyEditorColour).
    RichEditor(const QString &editorName, const QString &accessibleName, QWidget *parent = nullptr);

    QTextEdit *editor() const { return m_edit; }
    // The text as stored: the document's HTML in UTF-8.
    QByteArray richBytes() const;
    // Shows a stored text: HTML as HTML, anything else as plain text.
    void setRichBytes(const QByteArray &bytes);
    // No visible text (spaces and empty lines only).
    bool isBlank() const;
    void clear();
    void setCompact(bool compact);

    // The sizes offered, in points.
    static QList<int> fontSizes();
    // Applies a character format to the selection and to what is typed next.
    void mergeFormat(const QTextCharFormat &format);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFormat(const QTextCharFormat &format);
    void chooseColour(const QColor &colour);

    QTextEdit *m_edit = nullptr;
    QToolButton *m_bold = nullptr;
    QToolButton *m_italic = nullptr;
    QToolButton *m_underline = nullptr;
    QComboBox *m_size = nullptr;
    QToolButton *m_colour = nullptr;
};
