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

    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(u"Notebook1"_s);

    // Page 0: picking.
    auto *pick = new QWidget;
    auto *pv = new QVBoxLayout(pick);
    pv->setContentsMargins(24, 12, 24, 16);
    pv->setSpacing(8);
    pv->addWidget(titleLabel(u"考 点 选 择"_s, pick));
    auto *groupRow = new QHBoxLayout;
    auto *groupCaption = new QLabel(u"考点："_s, pick);
    ComboBox1 = new QComboBox(pick);
    ComboBox1->setObjectName(u"ComboBox1"_s);
    ComboBox1->setAccessibleName(u"考点"_s);
    groupCaption->setBuddy(ComboBox1);
    ComboBox2 = new QComboBox(pick);
    ComboBox2->setObjectName(u"ComboBox2"_s);
    ComboBox2->hide();
    groupRow->addWidget(groupCaption);
    groupRow->addWidget(ComboBox1, 1);
    pv->addLayout(groupRow);
    auto *pointsCaption = new QLabel(u"条文："_s, pick);
    pv->addWidget(pointsCaption);
    CheckListBox1 = new QListWidget(pick);
    CheckListBox1->setObjectName(u"CheckListBox1"_s);
    CheckListBox1->setAccessibleName(u"条文"_s);
    pointsCaption->setBuddy(CheckListBox1);
    CheckListBox2 = new QListWidget(pick);
    CheckListBox2->setObjectName(u"CheckListBox2"_s);
    CheckListBox2->hide();
    pv->addWidget(CheckListBox1, 1);
    auto *buttons = new QHBoxLayout;
    BtnOk = new QPushButton(u"确定"_s, pick);
    BtnOk->setObjectName(u"BtnOk"_s);
    BtnClose = new QPushButton(u"关闭"_s, pick);
    BtnClose->setObjectName(u"BtnClose"_s);
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addSpacing(24);
    buttons->addWidget(BtnClose);
    buttons->addStretch();
    pv->addLayout(buttons);
    Notebook1->addWidget(pick);

    // Page 1: how questions are entered.
    auto *usage = new QWidget;
    auto *uv = new QVBoxLayout(usage);
    uv->setContentsMargins(24, 12, 24, 16);
    uv->setSpacing(8);
    uv->addWidget(titleLabel(u"使 用 说 明"_s, usage));
    auto *text = new QPlainTextEdit(usage);
    text->setObjectName(u"Memo1"_s);
    text->setAccessibleName(u"使用说明"_s);
    text->setReadOnly(true);
    text->setFont(Fonts::song(13));
    text->setPlainText(usageText());
    uv->addWidget(text, 1);
    auto *closeRow = new QHBoxLayout;
    BtnClose2 = new QPushButton(u"关闭"_s, usage);
    BtnClose2->setObjectName(u"BtnClose2"_s);
    closeRow->addStretch();
    closeRow->addWidget(BtnClose2);
    closeRow->addStretch();
    uv->addLayout(closeRow);
    Notebook1->addWidget(usage);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->addWidget(Notebook1);

    for (QPushButton *b : {BtnOk, BtnClose, BtnClose2}) {
        b->setAutoDefault(false);
        b->setFont(Fonts::sans(14, true));
        b->setMinimumWidth(96);
    }
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &PointPicker::ComboBox1Change);
    connect(CheckListBox1, &QListWidget::itemChanged, this, &PointPicker::CheckListBox1ClickCheck);
    connect(BtnOk, &QPushButton::clicked, this, &PointPicker::BtnOkClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnClose2, &QPushButton::clicked, this, &QDialog::reject);
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
    Notebook1->setCurrentIndex(m_page);
}

void PointPicker::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown || event->spontaneous())
        return;
    m_shown = true;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormShow();
}

void PointPicker::FormShow()
{
    if (m_page != PickPage) {
        BtnClose2->setFocus();
        return;
    }
    m_loading = true;
    ComboBox1->clear();
    ComboBox2->clear();
    try {
        for (const Authoring::Group &g : Authoring::pickerGroups(studyData->connection())) {
            ComboBox1->addItem(g.name);
            ComboBox2->addItem(g.id);
        }
    } catch (const Db::DbError &) {
        m_loading = false;
        showMessageBox(this, u"提示"_s, u"无法读取考点目录！"_s, QMessageBox::Information);
        return;
    }
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
    ComboBox2->setCurrentIndex(ComboBox1->currentIndex());
    m_loading = false;
    // The first group shows its points unticked.
    loadPoints(ComboBox1->currentIndex(), false);
    ComboBox1->setFocus();
}

void PointPicker::loadPoints(int groupIndex, bool preTick)
{
    m_loading = true;
    CheckListBox1->clear();
    CheckListBox2->clear();
    if (groupIndex >= 0) {
        QList<Authoring::PointInfo> points;
        try {
            points = Authoring::groupPoints(studyData->connection(), ComboBox2->itemText(groupIndex));
        } catch (const Db::DbError &) {
            m_loading = false;
            showMessageBox(this, u"提示"_s, u"无法读取考点目录！"_s, QMessageBox::Information);
            return;
        }
        for (const Authoring::PointInfo &p : points) {
            auto *line = new QListWidgetItem(p.title, CheckListBox1);
            line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
            // Points the question links already show ticked; only the visible list is ticked.
            const bool linked = preTick && m_linkedCodes.contains(p.code, Qt::CaseInsensitive);
            line->setCheckState(linked ? Qt::Checked : Qt::Unchecked);
            auto *code = new QListWidgetItem(p.code, CheckListBox2);
            code->setFlags(code->flags() | Qt::ItemIsUserCheckable);
            code->setCheckState(Qt::Unchecked);
        }
    }
    if (CheckListBox1->count() > 0)
        CheckListBox1->setCurrentRow(0);
    m_loading = false;
}

void PointPicker::ComboBox1Change(int index)
{
    if (m_loading)
        return;
    ComboBox2->setCurrentIndex(index);
    loadPoints(index, true);
}

void PointPicker::CheckListBox1ClickCheck(QListWidgetItem *item)
{
    if (m_loading)
        return;
    if (QListWidgetItem *code = CheckListBox2->item(CheckListBox1->row(item)))
        code->setCheckState(item->checkState());
}

void PointPicker::BtnOkClick()
{
    int count = 0;
    for (int i = 0; i < CheckListBox1->count(); ++i)
        count += CheckListBox1->item(i)->checkState() == Qt::Checked ? 1 : 0;
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
                     u"对应考点最多不能超过7条，已有考点"_s + QString::number(m_linkedCount) + u"条！"_s,
                     QMessageBox::Information);
}

QList<PointPicker::Picked> PointPicker::pickedPoints() const
{
    QList<Picked> picked;
    for (int i = 0; i < CheckListBox2->count(); ++i) {
        if (CheckListBox2->item(i)->checkState() == Qt::Checked)
            picked.append({CheckListBox2->item(i)->text(), CheckListBox1->item(i)->text()});
    }
    return picked;
}

QString PointPicker::groupName() const
{
    return ComboBox1->currentText();
}

void PointPicker::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kNavy);
}
