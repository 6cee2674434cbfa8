#include "progress/SoundAndTimeSettingsWindow.h"

#include "data/AppGlobals.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "progress/AnswerTimes.h"
#include "ui/BackgroundMusic.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "ui/PromptDialog.h"
#include "ui/WindowChrome.h"
#include "ui/WindowParts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStrip = 28;
constexpr int kWidth = 380;
constexpr int kRow = 28; // pitch of the answer-time rows

// An on/off switch: a rounded track with a sliding knob, "开" or "关" beside it.
class Switch : public QAbstractButton
{
public:
    explicit Switch(QWidget *parent) : QAbstractButton(parent)
    {
        setCheckable(true);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
        connect(this, &QAbstractButton::toggled, this, [this](bool on) {
            setText(on ? u"开"_s : u"关"_s);
            update();
        });
        setText(u"关"_s);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF track(1, 3, 46, height() - 6);
        p.setPen(QPen(hasFocus() ? QColor(0x2F, 0x6D, 0xB0) : QColor(0x8E, 0xA7, 0xC0),
                      hasFocus() ? 2 : 1));
        p.setBrush(isChecked() ? QColor(0x3C, 0xA5, 0x5C) : QColor(0xB8, 0xC4, 0xD0));
        p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
        const qreal d = track.height() - 4;
        const qreal x = isChecked() ? track.right() - d - 2 : track.left() + 2;
        p.setPen(QPen(QColor(0x7A, 0x8A, 0x9A), 0.8));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(x, track.top() + 2, d, d));
        p.setPen(QColor(0x1F, 0x3A, 0x56));
        p.setFont(Fonts::sans(13, true));
        p.drawText(QRectF(track.right() + 6, 0, width() - track.right() - 6, height()),
                   Qt::AlignLeft | Qt::AlignVCenter, text());
    }
};

} // namespace

SoundAndTimeSettingsWindow::SoundAndTimeSettingsWindow(QWidget *parent) : QDialog(parent)
{
    WindowChrome::setUp(*this, u"SoundAndTimeSettingsWindow"_s, u"系统设置"_s);
    m_variant = App::settingsVariant == 1 ? 1 : 0;

    // Every control sits on a panel below the title strip; positions are the panel's.
    m_panel = new QWidget(this);
    m_panel->setObjectName(u"panel"_s);
    m_musicCaption = new QLabel(u"背景音乐"_s, m_panel);
    m_musicCaption->setObjectName(u"musicCaption"_s);
    m_musicCaption->setGeometry(16, 12, 80, 28);
    m_musicSwitch = new Switch(m_panel);
    m_musicSwitch->setObjectName(u"musicSwitch"_s);
    m_musicSwitch->setAccessibleName(u"背景音乐"_s);
    m_musicSwitch->setGeometry(100, 12, 80, 28);
    m_musicSwitch->setChecked(true);
    m_musicCaption->setBuddy(m_musicSwitch);
    connect(m_musicSwitch, &QAbstractButton::toggled, this,
            &SoundAndTimeSettingsWindow::switchMusic);

    m_trackCaption = new QLabel(u"声音列表"_s, m_panel);
    m_trackCaption->setObjectName(u"trackCaption"_s);
    m_trackCaption->setGeometry(16, 54, 80, 28);
    m_trackList = new QComboBox(m_panel);
    m_trackList->setObjectName(u"trackList"_s);
    m_trackList->setAccessibleName(u"声音列表"_s);
    m_trackList->addItems(
        {u"乐曲01"_s, u"乐曲02"_s, u"乐曲03"_s, u"乐曲04"_s, u"乐曲05"_s, u"乐曲06"_s});
    m_trackList->model()->sort(0);
    m_trackList->setPlaceholderText(u"请选择乐曲"_s);
    m_trackList->setCurrentIndex(-1);
    m_trackList->setGeometry(100, 54, 150, 28);
    m_trackCaption->setBuddy(m_trackList);
    connect(m_trackList, &QComboBox::activated, this, &SoundAndTimeSettingsWindow::chooseTrack);

    m_closeButton = WindowParts::makeButton(m_panel, u"closeButton"_s, u"关闭"_s);
    m_closeButton->setFont(Fonts::sans(14, true));
    m_closeButton->setGeometry(280, 54, 84, 28);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    m_answerTimesCaption = new QLabel(u"答题时间设置"_s, m_panel);
    m_answerTimesCaption->setObjectName(u"answerTimesCaption"_s);
    m_answerTimesCaption->setFont(Fonts::sans(13, true));
    m_answerTimesCaption->setGeometry(16, 100, 200, 18);
    m_answerTimesArea = new QScrollArea(m_panel);
    m_answerTimesArea->setObjectName(u"answerTimesArea"_s);
    m_answerTimesArea->setAccessibleName(u"答题时间设置"_s);
    m_answerTimesArea->setGeometry(16, 120, kWidth - 32, 110);
    m_answerTimesArea->setStyleSheet(
        u"QScrollArea { background: white; border: 1px solid #8EA7C0; }"
        u"QScrollArea > QWidget > QWidget { background: white; }"_s);
    m_answerTimesArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const int contentHeight = m_variant == 0 ? 100 : 170;
    m_panel->setGeometry(0, kStrip, kWidth, contentHeight);
    setFixedSize(kWidth, kStrip + contentHeight);
    // Variant 0 shows the music controls only.
    m_answerTimesCaption->setVisible(m_variant == 1);
    m_answerTimesArea->setVisible(m_variant == 1);
    setTabOrder(m_musicSwitch, m_trackList);
    setTabOrder(m_trackList, m_answerTimesArea);
    setTabOrder(m_answerTimesArea, m_closeButton);
}

SoundAndTimeSettingsWindow::~SoundAndTimeSettingsWindow() = default;

void SoundAndTimeSettingsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        loadSettings();
}

void SoundAndTimeSettingsWindow::loadSettings()
{
    {
        // The switch starts in the on position without switching anything.
        const QSignalBlocker block(m_musicSwitch);
        m_musicSwitch->setChecked(true);
        m_musicSwitch->setText(u"开"_s);
    }
    if (App::currentPaperKind == 0)
        App::currentPaperKind = 1;
    if (m_variant == 1)
        fillAnswerTimes();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    (m_variant == 1 && m_kindRows > 0
         ? static_cast<QWidget *>(m_answerTimesArea->widget()->findChild<QDoubleSpinBox *>())
         : static_cast<QWidget *>(m_musicSwitch))
        ->setFocus();
}

void SoundAndTimeSettingsWindow::fillAnswerTimes()
{
    QList<AnswerTimes::Kind> kinds;
    try {
        kinds = AnswerTimes::read(studyData->connection(), App::currentPaperKind);
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, u"无法读取答题时间！"_s, 1, 2, u"NO"_s);
    }
    m_kindRows = int(kinds.size());
    auto *area = new QWidget;
    area->setObjectName(u"answerTimeRows"_s);
    QList<QWidget *> editors;
    for (int row = 0; row < kinds.size(); ++row) {
        const AnswerTimes::Kind &k = kinds.at(row);
        auto *name = new QLabel(k.name, area);
        name->setGeometry(16, row * kRow + 6, 120, 22);
        auto *editor = new QDoubleSpinBox(area);
        editor->setObjectName(u"answerTimeEdit"_s + QString::number(row + 1));
        editor->setDecimals(1);
        editor->setSingleStep(0.1);
        editor->setRange(AnswerTimes::kMinimumMinutes, AnswerTimes::kMaximumMinutes);
        editor->setValue(k.minutes);
        editor->setProperty("kind", k.kind);
        editor->setAccessibleName(k.name + u"答题时间（分钟）"_s);
        editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        editor->setGeometry(140, row * kRow + 4, 76, 24);
        name->setBuddy(editor);
        auto *unit = new QLabel(u"分钟"_s, area);
        unit->setGeometry(224, row * kRow + 6, 50, 22);
        editors.append(editor);
    }
    area->setFixedSize(m_answerTimesArea->width() - 20, int(kinds.size()) * kRow + 8);
    m_answerTimesArea->setWidget(area);
    // Tab runs through the editors in row order, then to the close button.
    QWidget *previous = m_trackList;
    for (QWidget *editor : std::as_const(editors)) {
        setTabOrder(previous, editor);
        previous = editor;
    }
    setTabOrder(previous, m_closeButton);
}

void SoundAndTimeSettingsWindow::switchMusic(bool on)
{
    if (!on) {
        BackgroundMusic::play(App::currentMusicFile, false);
        return;
    }
    if (m_trackList->currentIndex() < 0)
        App::currentMusicFile = App::programFolder + u"sound/乐曲01.mid"_s;
    BackgroundMusic::play(App::currentMusicFile, true);
}

void SoundAndTimeSettingsWindow::chooseTrack(int index)
{
    if (index < 0)
        return;
    App::currentMusicFile =
        App::programFolder + u"sound/"_s + m_trackList->itemText(index).trimmed() + u".mid"_s;
    BackgroundMusic::play(App::currentMusicFile, m_musicSwitch->isChecked());
}

void SoundAndTimeSettingsWindow::done(int result)
{
    if (m_variant == 1 && isVisible())
        saveAnswerTimes();
    QDialog::done(result);
}

void SoundAndTimeSettingsWindow::saveAnswerTimes()
{
    if (m_kindRows == 0)
        return; // nothing was laid out: the times in use stay as they are
    QList<AnswerTimes::Kind> kinds;
    const QList<QDoubleSpinBox *> editors = findChildren<QDoubleSpinBox *>();
    for (int i = 0; i < m_kindRows; ++i) {
        const QString name = u"answerTimeEdit"_s + QString::number(i + 1);
        for (QDoubleSpinBox *e : editors) {
            if (e->objectName().compare(name, Qt::CaseInsensitive) == 0) {
                e->interpretText();
                kinds.append({e->property("kind").toInt(), QString(), e->value()});
                break;
            }
        }
    }
    try {
        App::answerTimeTable = AnswerTimes::save(studyData->connection(), App::paperKind(), kinds);
    } catch (const Db::DbError &e) {
        qWarning("studyaid: %s", e.what());
        showPrompt(u"错误"_s, Db::failureMessage(e, u"保存设置失败！"_s), 1, 2, u"No"_s);
    }
}

void SoundAndTimeSettingsWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    WindowChrome::paint(p, rect(), kStrip, windowTitle(), Colors::fromBgr(14930369), 14);
}
