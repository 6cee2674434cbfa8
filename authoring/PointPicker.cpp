#include "authoring/PointPicker.h"

#include "authoring/Authoring.h"
#include "data/Database.h"
#include "data/StudyData.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QColor kNavy(0x00, 0x00, 0x80);

const char kStyle[] =
    "QLabel { color: white; }"
    "QLabel[title=\"true\"] { color: #FFE680; }"
    "QPushButton { color: #1F3A56; background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
    " stop:0 #FFFFFF, stop:1 #DCE6F0); border: 1px solid #8EA7C0; border-radius: 4px;"
    " padding: 2px 14px; }"
    "QPushButton:hover, QPushButton:focus { border-color: #FFE680; }"
    "QPushButton:pressed { background: #BFD3E8; }";

QLabel *titleLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setProperty("title", true);
    l->setAlignment(Qt::AlignCenter);
    l->setFont(Fonts::sans(22, true));
    return l;
}

} // namespace

PointPicker::PointPicker(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"PointPicker"_s);
    setWindowTitle(u"欢迎"_s);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(528, 400);
    setFont(Fonts::sans(14));
    setStyleSheet(QString::fromLatin1(kStyle));

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(u"pages"_s);

    // Page 0: picking.
    auto *pick = new QWidget;
    auto *pv = new QVBoxLayout(pick);
    pv->setContentsMargins(24, 12, 24, 16);
    pv->setSpacing(8);
    pv->addWidget(titleLabel(u"考 点 选 择"_s, pick));
    auto *groupRow = new QHBoxLayout;
    auto *groupCaption = new QLabel(u"考点："_s, pick);
    m_groupBox = new QComboBox(pick);
    m_groupBox->setObjectName(u"groupBox"_s);
    m_groupBox->setAccessibleName(u"考点"_s);
    groupCaption->setBuddy(m_groupBox);
    m_groupIdBox = new QComboBox(pick);
    m_groupIdBox->setObjectName(u"groupIdBox"_s);
    m_groupIdBox->hide();
    groupRow->addWidget(groupCaption);
    groupRow->addWidget(m_groupBox, 1);
    pv->addLayout(groupRow);
    auto *pointsCaption = new QLabel(u"条文："_s, pick);
    pv->addWidget(pointsCaption);
    m_pointChecklist = new QListWidget(pick);
    m_pointChecklist->setObjectName(u"pointChecklist"_s);
    m_pointChecklist->setAccessibleName(u"条文"_s);
    pointsCaption->setBuddy(m_pointChecklist);
    m_codeChecklist = new QListWidget(pick);
    m_codeChecklist->setObjectName(u"codeChecklist"_s);
    m_codeChecklist->hide();
    pv->addWidget(m_pointChecklist, 1);
    auto *buttons = new QHBoxLayout;
    m_okButton = new QPushButton(u"确定"_s, pick);
    m_okButton->setObjectName(u"okButton"_s);
    m_closeButton = new QPushButton(u"关闭"_s, pick);
    m_closeButton->setObjectName(u"closeButton"_s);
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addSpacing(24);
    buttons->addWidget(m_closeButton);
    buttons->addStretch();
    pv->addLayout(buttons);
    m_pages->addWidget(pick);

    // Page 1: how questions are entered.
    auto *usage = new QWidget;
    auto *uv = new QVBoxLayout(usage);
    uv->setContentsMargins(24, 12, 24, 16);
    uv->setSpacing(8);
    uv->addWidget(titleLabel(u"使 用 说 明"_s, usage));
    auto *text = new QPlainTextEdit(usage);
    text->setObjectName(u"usageText"_s);
    text->setAccessibleName(u"使用说明"_s);
    text->setReadOnly(true);
    text->setFont(Fonts::song(13));
    text->setPlainText(usageText());
    uv->addWidget(text, 1);
    auto *closeRow = new QHBoxLayout;
    m_usageCloseButton = new QPushButton(u"关闭"_s, usage);
    m_usageCloseButton->setObjectName(u"usageCloseButton"_s);
    closeRow->addStretch();
    closeRow->addWidget(m_usageCloseButton);
    closeRow->addStretch();
    uv->addLayout(closeRow);
    m_pages->addWidget(usage);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->addWidget(m_pages);

    for (QPushButton *b : {m_okButton, m_closeButton, m_usageCloseButton}) {
        b->setAutoDefault(false);
        b->setFont(Fonts::sans(14, true));
        b->setMinimumWidth(96);
    }
    connect(m_groupBox, &QComboBox::currentIndexChanged, this, &PointPicker::chooseGroup);
    connect(m_pointChecklist, &QListWidget::itemChanged, this, &PointPicker::copyTick);
    connect(m_okButton, &QPushButton::clicked, this, &PointPicker::confirmPicks);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_usageCloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString PointPicker::usageText()
{
    const QStringList lines{
        u"使用方法如下："_s,
        u""_s,
        u"   首先将试题的内容填写在试题内容框内，这是必须填写项，如果试题有对应的"_s,
        u"讲解，请把内容填写进解析框内。"_s,
        u""_s,
        u"   然后选择或录入待选答案的个数，主要是选择题，例如试题："_s,
        u""_s,
        u"   7月有几天？"_s,
        u"   A. 30"_s,
        u"   B. 28"_s,
        u"   C. 31"_s,
        u"   "_s,
        u"   这里的待选答案是A B C，共为3个，也就是我们这里的待选答案个数为3。"_s,
        u"   "_s,
        u"   接下来填入答案："_s,
        u"   如果是单选，例如上面的试题，就填写C；"_s,
        u"   如果是多选把答案直接填入框内。例如答案是ABD那么答案框内就写ABD；"_s,
        u"   如果是判断题则答案正确填写A，答案错误填写B；"_s,
        u"   如果试题是主观题，则把实际答案同解析内容一起填入解析栏中。答案框中自"_s,
        u"动填写1；"_s,
        u""_s,
    };
    return lines.join(u'\n');
}

void PointPicker::setPage(int page)
{
    m_page = page == UsagePage ? UsagePage : PickPage;
    m_pages->setCurrentIndex(m_page);
}

void PointPicker::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown || event->spontaneous())
        return;
    m_shown = true;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    loadGroups();
}

void PointPicker::loadGroups()
{
    if (m_page != PickPage) {
        m_usageCloseButton->setFocus();
        return;
    }
    m_loading = true;
    m_groupBox->clear();
    m_groupIdBox->clear();
    try {
        for (const Authoring::Group &g : Authoring::pickerGroups(studyData->connection())) {
            m_groupBox->addItem(g.name);
            m_groupIdBox->addItem(g.id);
        }
    } catch (const Db::DbError &) {
        m_loading = false;
        showMessageBox(this, u"提示"_s, u"无法读取考点目录！"_s, QMessageBox::Information);
        return;
    }
    m_groupBox->setCurrentIndex(m_groupBox->count() > 0 ? 0 : -1);
    m_groupIdBox->setCurrentIndex(m_groupBox->currentIndex());
    m_loading = false;
    // The first group shows its points unticked.
    loadPoints(m_groupBox->currentIndex(), false);
    m_groupBox->setFocus();
}

void PointPicker::loadPoints(int groupIndex, bool preTick)
{
    m_loading = true;
    m_pointChecklist->clear();
    m_codeChecklist->clear();
    if (groupIndex >= 0) {
        QList<Authoring::PointInfo> points;
        try {
            points =
                Authoring::groupPoints(studyData->connection(), m_groupIdBox->itemText(groupIndex));
        } catch (const Db::DbError &) {
            m_loading = false;
            showMessageBox(this, u"提示"_s, u"无法读取考点目录！"_s, QMessageBox::Information);
            return;
        }
        for (const Authoring::PointInfo &p : points) {
            auto *line = new QListWidgetItem(p.title, m_pointChecklist);
            line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
            // Points the question links already show ticked; only the visible list is ticked.
            const bool linked = preTick && m_linkedCodes.contains(p.code, Qt::CaseInsensitive);
            line->setCheckState(linked ? Qt::Checked : Qt::Unchecked);
            auto *code = new QListWidgetItem(p.code, m_codeChecklist);
            code->setFlags(code->flags() | Qt::ItemIsUserCheckable);
            code->setCheckState(Qt::Unchecked);
        }
    }
    if (m_pointChecklist->count() > 0)
        m_pointChecklist->setCurrentRow(0);
    m_loading = false;
}

void PointPicker::chooseGroup(int index)
{
    if (m_loading)
        return;
    m_groupIdBox->setCurrentIndex(index);
    loadPoints(index, true);
}

void PointPicker::copyTick(QListWidgetItem *item)
{
    if (m_loading)
        return;
    if (QListWidgetItem *code = m_codeChecklist->item(m_pointChecklist->row(item)))
        code->setCheckState(item->checkState());
}

void PointPicker::confirmPicks()
{
    int count = 0;
    for (int i = 0; i < m_pointChecklist->count(); ++i)
        count += m_pointChecklist->item(i)->checkState() == Qt::Checked ? 1 : 0;
    if (count == 0) {
        showMessageBox(this, u"提示"_s, u"请选择对应考点，退出请按关闭按钮！"_s,
                       QMessageBox::Information);
        return;
    }
    if (m_linkedCount + count < 8) {
        accept();
        return;
    }
    showMessageBox(this, u"提示"_s,
                   u"对应考点最多不能超过7条，已有考点"_s + QString::number(m_linkedCount) +
                       u"条！"_s,
                   QMessageBox::Information);
}

QList<PointPicker::Picked> PointPicker::pickedPoints() const
{
    QList<Picked> picked;
    for (int i = 0; i < m_codeChecklist->count(); ++i) {
        if (m_codeChecklist->item(i)->checkState() == Qt::Checked)
            picked.append({m_codeChecklist->item(i)->text(), m_pointChecklist->item(i)->text()});
    }
    return picked;
}

QString PointPicker::groupName() const
{
    return m_groupBox->currentText();
}

void PointPicker::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kNavy);
}
