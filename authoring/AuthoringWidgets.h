// Parts shared by the question entry and edit windows: the exam-point list with its hidden code
// list, the answer field, the kind rule, and the way they open the exam-point picker.
#pragma once

#include "authoring/Authoring.h"

#include <QDialog>
#include <QLineEdit>
#include <QList>
#include <QListWidget>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class RichEditor;

// The linked exam points with the parallel hidden list of their codes (codeList).
// The Delete key removes the selected point from both.
class PointList : public QListWidget
{
    Q_OBJECT

public:
    static constexpr int kMaxPoints = 10;

    explicit PointList(QWidget *parent);

    void addPoint(const QString &code, const QString &text);
    bool hasCode(const QString &code) const;
    QStringList codes() const;
    void removePoint(int row);
    void clearPoints();
    QListWidget *codeList() const { return m_codeList; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QListWidget *m_codeList = nullptr;
};

// The answer field: at most 100 characters, letters forced to upper case as they are typed.
class AnswerEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit AnswerEdit(QWidget *parent);
};

// The frame both authoring windows share: a borderless window centred on the desktop with a
// title strip (the label m_captionLabel), a body of two columns (the editors on the left, the
// question's fields and the buttons on the right), and the question's fields themselves.
class AuthoringDialog : public QDialog
{
    Q_OBJECT

public:
    // Captions of the kind list, the option count, the answer and the points list, and the
    // message shown when the list is full.
    struct Captions
    {
        QString kind;
        QString options;
        QString answer;
        QString points;
        QString pointsFull;
    };

protected:
    AuthoringDialog(const QString &name, const QString &title, const Captions &captions,
                    QWidget *parent);

    // An editor with its caption above it in the left column; both sit in one box, the editor's
    // parent widget, named editorName + "Panel".
    RichEditor *addEditor(const QString &editorName, const QString &caption, int stretch);
    // A button of the button block under the fields, two to a row.
    QPushButton *addButton(const QString &name, const QString &caption);
    // Sizes for the display mode in use and the keyboard order; call once all parts are added.
    void applyLayout();

    // Fills the kind list from the question-kind table in use; throws Db::DbError.
    void loadKinds();
    // Kind number of the selected entry, or -1 when none is selected.
    int selectedKind() const;
    QString selectedKindName() const;
    // Selects the kind without running the kind rule; false when the list has no such kind.
    bool selectKindQuietly(int kindNumber);

    // The form as it stands becomes the unchanged state (after loading, saving or clearing).
    void markUnchanged();
    // Whether the editors, answer, kind, option count or points differ from that state.
    bool hasUnsavedChanges() const;
    // With unsaved changes, asks m_discardQuestion; true when the window may close.
    bool confirmDiscard();
    // Escape, the window's close and the cancel buttons: asks before changes are lost.
    void reject() override;
    // A line under the buttons telling what the last action did.
    void setStatus(const QString &text);

    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    // Runs when the user changes the kind.
    virtual void kindChanged() = 0;

    QLabel *m_captionLabel = nullptr;
    QComboBox *m_kindBox = nullptr;
    QSpinBox *m_optionCountBox = nullptr;
    AnswerEdit *m_answerEdit = nullptr;
    PointList *m_pointList = nullptr;
    QPushButton *m_addPointsButton = nullptr;
    QList<Authoring::Kind> m_kinds;
    QString m_discardQuestion;
    bool m_compact = false;

private:
    QVBoxLayout *m_left = nullptr;
    QWidget *m_buttonBlock = nullptr;
    QList<QPushButton *> m_buttons;
    QList<RichEditor *> m_editors;
    QList<QLabel *> m_captions;
    QLabel *m_hint = nullptr;
    QLabel *m_statusLabel = nullptr;
    QStringList m_unchangedFields; // answer, kind, option count and point codes when unchanged
    QString m_fullMessage;
    bool m_centred = false;
};

namespace AuthoringUi {

// The kind rule: both fields usable again; a subjective kind fixes one option and the answer
// "1" and locks both; any other kind empties the answer when clearOtherwise.
void applyKindRule(QSpinBox *options, QLineEdit *answer, const QString &kindName,
                   bool clearOtherwise);

// "添加考点": when the list is full shows fullMessage; otherwise opens the picker with the
// list's codes and appends every newly ticked point as group name + "[" + title + "]".
void addExamPoints(QWidget *parent, PointList *list, const QString &fullMessage);

// "使用说明": the picker on its usage page.
void showUsage(QWidget *parent);

} // namespace AuthoringUi
