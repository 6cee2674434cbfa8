#include "ui/MenuWidget.h"

#include "data/Clock.h"
#include "ui/Fonts.h"
#include "ui/Picture.h"

#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QRadialGradient>
#include <QSequentialAnimationGroup>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

// ---------------------------------------------------------------------------------------------
// Menu description

namespace {

QString fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return why;
}

int intValue(const QJsonObject &o, const char *key, int fallback, int low, int high)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble())
        return fallback;
    return std::clamp(v.toInt(), low, high);
}

} // namespace

std::optional<MenuDescription> MenuDescription::load(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.exists()) {
        fail(error, u"menu file not found: "_s + fileName);
        return std::nullopt;
    }
    // A FIFO or a device would block the start in open() or never end: only a file is read.
    if (!QFileInfo(fileName).isFile()) {
        fail(error, u"menu file is not a regular file: "_s + fileName);
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, u"menu file cannot be read: "_s + fileName);
        return std::nullopt;
    }
    return parse(file.readAll(), error);
}

std::optional<MenuDescription> MenuDescription::parse(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull() || !doc.isObject()) {
        fail(error, u"menu file is not a JSON object: "_s + parseError.errorString());
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    MenuDescription d;
    d.title = root.value(u"title"_s).toString();
    d.subtitle = root.value(u"subtitle"_s).toString();
    d.footer = root.value(u"footer"_s).toString();
    const QJsonObject layout = root.value(u"layout"_s).toObject();
    d.columns = intValue(layout, "columns", d.columns, 1, 8);
    d.maxColumnWidth = intValue(layout, "maxColumnWidth", d.maxColumnWidth, 120, 800);
    d.itemHeight = intValue(layout, "itemHeight", d.itemHeight, 30, 120);
    d.compactItemHeight = intValue(layout, "compactItemHeight", d.compactItemHeight, 30, 120);
    d.revealMs = intValue(layout, "revealMs", d.revealMs, 0, 5000);
    d.staggerMs = intValue(layout, "staggerMs", d.staggerMs, 0, 1000);
    d.hoverMs = intValue(layout, "hoverMs", d.hoverMs, 0, 2000);

    const QJsonArray groups = root.value(u"groups"_s).toArray();
    if (groups.isEmpty()) {
        fail(error, u"menu file has no groups"_s);
        return std::nullopt;
    }
    for (const QJsonValue &gv : groups) {
        const QJsonObject g = gv.toObject();
        MenuGroupSpec group;
        group.caption = g.value(u"caption"_s).toString();
        group.column = std::clamp(g.value(u"column"_s).toInt(), 0, 7);
        group.accent = QColor::fromString(g.value(u"accent"_s).toString());
        if (!group.accent.isValid())
            group.accent = QColor(0x5a, 0xa9, 0xe8);
        for (const QJsonValue &iv : g.value(u"items"_s).toArray()) {
            const QJsonObject i = iv.toObject();
            MenuItemDesc item;
            item.caption = i.value(u"caption"_s).toString();
            item.label = i.value(u"label"_s).toString();
            item.hint = i.value(u"hint"_s).toString();
            item.command = i.value(u"command"_s).toString();
            item.args = i.value(u"args"_s).toString();
            item.glyph = i.value(u"glyph"_s).toString();
            if (item.caption.isEmpty() || item.command.isEmpty()) {
                fail(error, u"menu item without caption or command in group "_s + group.caption);
                return std::nullopt;
            }
            group.items.append(item);
        }
        if (group.items.isEmpty()) {
            fail(error, u"menu group without items: "_s + group.caption);
            return std::nullopt;
        }
        d.columns = std::max(d.columns, group.column + 1);
        d.groups.append(group);
    }
    return d;
}

QStringList MenuDescription::commands() const
{
    QStringList words;
    for (const MenuGroupSpec &g : groups) {
        for (const MenuItemDesc &i : g.items)
            words.append(i.command);
    }
    return words;
}

// ---------------------------------------------------------------------------------------------
// Menu tile

MenuItemButton::MenuItemButton(const MenuItemDesc &desc, const QColor &accent, int hoverMs,
                               QWidget *parent)
    : QAbstractButton(parent), m_desc(desc), m_accent(accent)
{
    setObjectName(u"menu_"_s + desc.command);
    setText(desc.caption);
    setAccessibleName(desc.caption);
    setAccessibleDescription(desc.hint);
    setToolTip(desc.hint.isEmpty() ? desc.caption : desc.caption + u"\n"_s + desc.hint);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    m_highlightAnimation = new QPropertyAnimation(this, "highlight", this);
    m_highlightAnimation->setDuration(hoverMs);
    m_highlightAnimation->setEasingCurve(QEasingCurve::OutCubic);
}

QSize MenuItemButton::sizeHint() const
{
    return {260, 50};
}

QRectF MenuItemButton::tileRect() const
{
    // Room on the right for the lean of a highlighted tile.
    return QRectF(rect()).adjusted(1.5, 1.5, -5.5, -1.5);
}

QRectF MenuItemButton::badgeRect(const QRectF &tile) const
{
    const qreal d = std::min(tile.height() - 14.0, std::max(34.0, tile.height() * 0.6));
    return {tile.left() + 10.0, tile.center().y() - d / 2.0, d, d};
}

QString MenuItemButton::shownCaption() const
{
    return m_desc.label.isEmpty() ? m_desc.caption : m_desc.label;
}

MenuItemButton::TextLayout MenuItemButton::textLayout(const QRectF &tile, qreal badgeRight) const
{
    TextLayout t;
    t.captionFont = Fonts::sans(std::clamp(int(tile.height() * 0.31), 13, 22), true);
    t.hintFont = Fonts::sans(std::clamp(int(tile.height() * 0.235), 11, 16));
    t.left = badgeRight + 11.0;
    t.right = tile.right() - 22.0; // the chevron's place
    return t;
}

bool MenuItemButton::isElided() const
{
    const QRectF r = tileRect();
    const TextLayout t = textLayout(r, badgeRect(r).right());
    const qreal room = t.right - t.left;
    const QFontMetricsF caption(t.captionFont);
    const QFontMetricsF hint(t.hintFont);
    const qreal height = caption.height() + (m_desc.hint.isEmpty() ? 0.0 : hint.height());
    return caption.horizontalAdvance(shownCaption()) > room ||
           hint.horizontalAdvance(m_desc.hint) > room || height > r.height();
}

void MenuItemButton::setReveal(qreal value)
{
    m_reveal = std::clamp(value, 0.0, 1.0);
    update();
}

void MenuItemButton::setHighlight(qreal value)
{
    m_highlight = std::clamp(value, 0.0, 1.0);
    update();
}

void MenuItemButton::animateHighlight()
{
    const qreal target = (m_hovered || hasFocus()) ? 1.0 : 0.0;
    m_highlightAnimation->stop();
    m_highlightAnimation->setStartValue(m_highlight);
    m_highlightAnimation->setEndValue(target);
    m_highlightAnimation->start();
}

void MenuItemButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    animateHighlight();
    QAbstractButton::enterEvent(event);
}

void MenuItemButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    animateHighlight();
    QAbstractButton::leaveEvent(event);
}

void MenuItemButton::focusInEvent(QFocusEvent *event)
{
    QAbstractButton::focusInEvent(event);
    animateHighlight();
}

void MenuItemButton::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    animateHighlight();
}

void MenuItemButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            animateClick();
            return;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        emit navigate(event->key());
        return;
    default:
        break;
    }
    QAbstractButton::keyPressEvent(event);
}

void MenuItemButton::paintEvent(QPaintEvent *)
{
    if (m_reveal <= 0.0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setOpacity(m_reveal);
    const qreal h = m_highlight;
    // Slide in from below; the highlighted tile leans a little to the right.
    p.translate(3.0 * h, (1.0 - m_reveal) * 18.0);

    const QRectF r = tileRect();
    const qreal radius = std::min(10.0, r.height() / 4.0);
    QPainterPath shape;
    shape.addRoundedRect(r, radius, radius);

    // Glass tile, with the group's colour coming up on hover and focus.
    p.fillPath(shape, QColor(255, 255, 255, 30));
    if (h > 0.0) {
        QColor accent = m_accent;
        accent.setAlphaF(0.88 * h);
        QLinearGradient g(r.topLeft(), r.bottomRight());
        g.setColorAt(0, accent.lighter(112));
        g.setColorAt(1, accent);
        p.fillPath(shape, g);
    }
    if (isDown())
        p.fillPath(shape, QColor(0, 0, 0, 50));
    p.setPen(QPen(hasFocus() ? QColor(255, 255, 255, 230) : QColor(255, 255, 255, 60),
                  hasFocus() ? 2.0 : 1.0));
    p.drawPath(shape);

    // Badge with the item's character.
    const QRectF badge = badgeRect(r);
    const qreal d = badge.height();
    QColor badgeFill = m_accent;
    if (h > 0.0) {
        badgeFill.setRed(int(badgeFill.red() + (255 - badgeFill.red()) * h));
        badgeFill.setGreen(int(badgeFill.green() + (255 - badgeFill.green()) * h));
        badgeFill.setBlue(int(badgeFill.blue() + (255 - badgeFill.blue()) * h));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(badgeFill);
    p.drawEllipse(badge);
    if (!m_desc.glyph.isEmpty()) {
        p.setFont(Fonts::sans(int(d * 0.5), true));
        QColor glyphColour = h >= 0.5 ? m_accent.darker(130) : QColor(Qt::white);
        p.setPen(glyphColour);
        p.drawText(badge, Qt::AlignCenter, m_desc.glyph);
    }

    // Caption and hint.
    const TextLayout text = textLayout(r, badge.right());
    const qreal left = text.left;
    const qreal right = text.right;
    const QFontMetricsF capMetrics(text.captionFont);
    const QFontMetricsF hintMetrics(text.hintFont);
    const QString shown = shownCaption();
    const bool twoLines = !m_desc.hint.isEmpty();
    const qreal total = capMetrics.height() + (twoLines ? hintMetrics.height() : 0.0);
    qreal y = r.center().y() - total / 2.0;
    p.setFont(text.captionFont);
    p.setPen(Qt::white);
    p.drawText(QRectF(left, y, right - left, capMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               capMetrics.elidedText(shown, Qt::ElideRight, right - left));
    if (twoLines) {
        y += capMetrics.height();
        p.setFont(text.hintFont);
        p.setPen(QColor(255, 255, 255, int(165 + 70 * h)));
        p.drawText(QRectF(left, y, right - left, hintMetrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   hintMetrics.elidedText(m_desc.hint, Qt::ElideRight, right - left));
    }

    // A chevron that appears with the highlight.
    if (h > 0.0) {
        p.setPen(QPen(QColor(255, 255, 255, int(255 * h)), 2.0, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const qreal cx = r.right() - 12.0 + 2.0 * h;
        const qreal cy = r.center().y();
        QPainterPath chevron;
        chevron.moveTo(cx - 3.5, cy - 6.0);
        chevron.lineTo(cx + 2.5, cy);
        chevron.lineTo(cx - 3.5, cy + 6.0);
        p.drawPath(chevron);
    }
}

// ---------------------------------------------------------------------------------------------
// Menu

MenuWidget::MenuWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"menu"_s);
    setAccessibleName(u"主菜单"_s);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MenuWidget::~MenuWidget() = default;

bool MenuWidget::load(const QString &fileName, QString *error)
{
    const std::optional<MenuDescription> d = MenuDescription::load(fileName, error);
    if (!d) {
        clearItems();
        return false;
    }
    setDescription(*d);
    return true;
}

void MenuWidget::clearItems()
{
    if (m_animation)
        m_animation->stop();
    qDeleteAll(m_items);
    m_items.clear();
    m_headers.clear();
}

void MenuWidget::setDescription(const MenuDescription &description)
{
    clearItems();
    m_description = description;
    QList<int> rowsInColumn(m_description.columns, 0);
    for (const MenuGroupSpec &group : std::as_const(m_description.groups)) {
        m_headers.append({group.caption, group.accent, {}});
        for (const MenuItemDesc &desc : group.items) {
            auto *item = new MenuItemButton(desc, group.accent, m_description.hoverMs, this);
            item->column = group.column;
            item->row = rowsInColumn[group.column]++;
            connect(item, &QAbstractButton::clicked, this,
                    [this, item] { emit commandChosen(item->desc().command, item->desc().args); });
            connect(item, &MenuItemButton::navigate, this,
                    [this, item](int key) { moveFocus(item, key); });
            item->show();
            m_items.append(item);
        }
    }
    setAccessibleDescription(m_description.title);
    layoutItems();
    update();
}

void MenuWidget::setBackgroundPicture(const QString &fileName)
{
    // Read when first painted, at the window's size: only that copy is kept.
    m_backgroundFile = fileName;
    m_background = QImage();
    update();
}

QImage MenuWidget::backgroundAt(const QSize &size) const
{
    // mkpics draws copies for the usual screens ahead, the same pixels as scaled here.
    const QString sized = Picture::sizedName(m_backgroundFile, size.width(), size.height());
    if (QFileInfo::exists(sized)) {
        const QImage image = Picture::load(sized);
        if (image.size() == size)
            return image;
    }
    if (!QFileInfo::exists(m_backgroundFile))
        return {};
    const QImage picture = Picture::load(m_backgroundFile);
    if (picture.isNull() || picture.size() == size)
        return picture;
    // Scaled to cover the window, the middle of it shown.
    const QImage scaled =
        picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - size.width()) / 2, (scaled.height() - size.height()) / 2,
                       size.width(), size.height());
}

MenuItemButton *MenuWidget::item(const QString &command) const
{
    for (MenuItemButton *i : m_items) {
        if (i->desc().command == command)
            return i;
    }
    return nullptr;
}

bool MenuWidget::compact() const
{
    return width() < 1000 || height() < 700;
}

void MenuWidget::layoutItems()
{
    const int w = width();
    const int h = height();
    const bool small = compact();
    const qreal s = small ? 1.0 : std::clamp(std::min(w / 1024.0, h / 768.0), 1.0, 1.6);
    auto px = [s](int v) { return int(std::lround(v * s)); };

    const int margin = small ? 24 : px(40);
    const int top = small ? 16 : px(26);
    const int titlePx = small ? 25 : px(31);
    const int subtitlePx = small ? 13 : px(15);
    const int columns = std::max(1, m_description.columns);
    const int gap = small ? 16 : px(24);
    const int columnWidth = std::min(px(m_description.maxColumnWidth),
                                     (w - 2 * margin - (columns - 1) * gap) / columns);
    const int blockWidth = columns * columnWidth + (columns - 1) * gap;
    const int blockLeft = (w - blockWidth) / 2;
    // The title lines up with the columns, which stay centred on wide screens.
    const int titleLeft = std::max(margin, blockLeft);
    m_titleRect = QRect(titleLeft, top, w - 2 * titleLeft, int(titlePx * 1.45 + subtitlePx * 1.7));
    const int columnsTop = m_titleRect.bottom() + (small ? 16 : px(26));
    const int footerHeight = small ? 24 : px(28);
    m_footerRect =
        QRect(margin, h - footerHeight - (small ? 6 : px(12)), w - 2 * margin, footerHeight);
    const int available = m_footerRect.top() - 8 - columnsTop;

    int itemHeight = small ? m_description.compactItemHeight : px(m_description.itemHeight);
    int spacing = small ? 8 : px(10);
    int captionHeight = small ? 28 : px(32);
    int groupGap = small ? 12 : px(18);

    // Shrink the tiles when the tallest column does not fit the screen.
    auto columnHeight = [&](int column) {
        int total = 0;
        int groups = 0;
        for (const MenuGroupSpec &g : std::as_const(m_description.groups)) {
            if (g.column != column)
                continue;
            total += captionHeight + int(g.items.size()) * (itemHeight + spacing);
            ++groups;
        }
        return total + std::max(0, groups - 1) * groupGap;
    };
    int tallest = 0;
    for (int c = 0; c < columns; ++c)
        tallest = std::max(tallest, columnHeight(c));
    if (tallest > available && tallest > 0) {
        // The gaps give way first, then the tiles, whose text needs the height.
        const double f = double(available) / tallest;
        spacing = std::max(4, int(spacing * f));
        captionHeight = std::max(22, int(captionHeight * f));
        groupGap = std::max(6, int(groupGap * f));
        int tallestItems = 0;
        int tallestOther = 0;
        for (int c = 0; c < columns; ++c) {
            int items = 0;
            int groups = 0;
            for (const MenuGroupSpec &g : std::as_const(m_description.groups)) {
                if (g.column == c) {
                    items += int(g.items.size());
                    ++groups;
                }
            }
            const int other =
                groups * captionHeight + items * spacing + std::max(0, groups - 1) * groupGap;
            if (items * itemHeight + other > tallestItems * itemHeight + tallestOther) {
                tallestItems = items;
                tallestOther = other;
            }
        }
        if (tallestItems > 0)
            itemHeight = std::clamp((available - tallestOther) / tallestItems, 34, itemHeight);
    }

    // Spare height goes mostly below the tiles, a third of it above them.
    tallest = 0;
    for (int c = 0; c < columns; ++c)
        tallest = std::max(tallest, columnHeight(c));
    const int top0 = columnsTop + std::max(0, available - tallest) / 3;

    QList<int> y(columns, top0);
    int itemIndex = 0;
    for (int gi = 0; gi < m_description.groups.size(); ++gi) {
        const MenuGroupSpec &g = m_description.groups.at(gi);
        const int x = blockLeft + g.column * (columnWidth + gap);
        int &cy = y[g.column];
        if (cy != top0)
            cy += groupGap;
        m_headers[gi].rect = QRect(x, cy, columnWidth, captionHeight);
        cy += captionHeight;
        for (qsizetype k = 0; k < g.items.size(); ++k) {
            m_items.at(itemIndex++)->setGeometry(x, cy, columnWidth, itemHeight);
            cy += itemHeight + spacing;
        }
    }
}

void MenuWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_background = QImage();
    layoutItems();
}

void MenuWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (m_items.isEmpty())
        return;
    // The menu passes its focus to a tile: Shift+Tab from the first tile arrives here and goes
    // on round to the last one.
    if (event->reason() == Qt::BacktabFocusReason)
        m_items.last()->setFocus(event->reason());
    else
        m_items.first()->setFocus(event->reason());
}

void MenuWidget::setHeaderReveal(qreal value)
{
    m_headerReveal = std::clamp(value, 0.0, 1.0);
    update(m_titleRect.adjusted(-40, -10, 40, 10));
    for (const GroupHeader &g : std::as_const(m_headers))
        update(g.rect.adjusted(-4, -4, 4, 4));
    update(m_footerRect);
}

void MenuWidget::play()
{
    if (m_animation)
        m_animation->stop();
    auto *all = new QParallelAnimationGroup(this);
    auto *header = new QPropertyAnimation(this, "headerReveal");
    header->setStartValue(0.0);
    header->setEndValue(1.0);
    header->setDuration(m_description.revealMs + 160);
    header->setEasingCurve(QEasingCurve::OutCubic);
    all->addAnimation(header);
    for (MenuItemButton *item : std::as_const(m_items)) {
        item->setReveal(0.0);
        auto *sequence = new QSequentialAnimationGroup;
        // A diagonal wave: down each column, one column after the other.
        sequence->addPause(120 + (item->row + item->column * 2) * m_description.staggerMs);
        auto *reveal = new QPropertyAnimation(item, "reveal");
        reveal->setStartValue(0.0);
        reveal->setEndValue(1.0);
        reveal->setDuration(m_description.revealMs);
        reveal->setEasingCurve(QEasingCurve::OutCubic);
        sequence->addAnimation(reveal);
        all->addAnimation(sequence);
    }
    m_headerReveal = 0.0;
    m_animation = all;
    all->start(QAbstractAnimation::DeleteWhenStopped);
    if (!m_items.isEmpty())
        m_items.first()->setFocus(Qt::OtherFocusReason);
}

bool MenuWidget::isPlaying() const
{
    return m_animation && m_animation->state() == QAbstractAnimation::Running;
}

void MenuWidget::finishPlaying()
{
    if (isPlaying())
        m_animation->setCurrentTime(m_animation->totalDuration());
}

void MenuWidget::moveFocus(MenuItemButton *from, int key)
{
    if (m_items.isEmpty())
        return;
    MenuItemButton *to = nullptr;
    if (key == Qt::Key_Home) {
        to = m_items.first();
    } else if (key == Qt::Key_End) {
        to = m_items.last();
    } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        QList<MenuItemButton *> column;
        for (MenuItemButton *i : std::as_const(m_items)) {
            if (i->column == from->column)
                column.append(i);
        }
        const qsizetype at = column.indexOf(from);
        const qsizetype n = column.size();
        to = column.at((at + (key == Qt::Key_Down ? 1 : n - 1)) % n);
    } else {
        // The nearest tile in the next column that has tiles, wrapping round.
        const int columns = std::max(1, m_description.columns);
        const int step = key == Qt::Key_Right ? 1 : columns - 1;
        for (int c = (from->column + step) % columns; c != from->column && !to;
             c = (c + step) % columns) {
            int best = INT_MAX;
            for (MenuItemButton *i : std::as_const(m_items)) {
                if (i->column != c)
                    continue;
                const int distance =
                    std::abs(i->geometry().center().y() - from->geometry().center().y());
                if (distance < best) {
                    best = distance;
                    to = i;
                }
            }
        }
    }
    if (to)
        to->setFocus(Qt::TabFocusReason);
}

void MenuWidget::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    // Background: the picture scaled to cover the window, else a gradient of the same mood.
    if (m_background.size() != size() && !m_backgroundFile.isEmpty())
        m_background = backgroundAt(size());
    if (m_background.size() == size()) {
        p.drawImage(0, 0, m_background);
        // Drawn into the backing store, the picture's pages are not needed until the next paint:
        // given back once this frame is out.
        if (!m_releasePending) {
            m_releasePending = true;
            QTimer::singleShot(0, this, [this] {
                m_releasePending = false;
                Picture::releasePages(m_background);
            });
        }
    } else {
        QLinearGradient base(0, 0, width() * 0.35, height());
        base.setColorAt(0, QColor(0x16, 0x2f, 0x4c));
        base.setColorAt(0.55, QColor(0x22, 0x4b, 0x70));
        base.setColorAt(1, QColor(0x2c, 0x66, 0x86));
        p.fillRect(rect(), base);
        QRadialGradient glow(QPointF(width() * 0.28, height() * 0.22), width() * 0.6);
        glow.setColorAt(0, QColor(255, 255, 255, 34));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(rect(), glow);
    }

    // Title block: slides in from the left with the header animation. Before it starts (the
    // first frame) the title, the captions and the footer are transparent: nothing is drawn, so
    // the first frame needs no font.
    const qreal headerShown = m_headerReveal;
    if (headerShown <= 0.0) {
        emitFirstPainted();
        return;
    }
    p.save();
    p.setOpacity(headerShown);
    p.translate(-24.0 * (1.0 - headerShown), 0);
    const bool small = compact();
    const qreal s =
        small ? 1.0 : std::clamp(std::min(width() / 1024.0, height() / 768.0), 1.0, 1.6);
    const QFont titleFont = Fonts::sans(int((small ? 25 : 31) * s), true);
    const QFont subtitleFont = Fonts::sans(int((small ? 13 : 15) * s));
    const QFontMetrics tm(titleFont);
    const QRect titleLine(m_titleRect.left() + 16, m_titleRect.top(), m_titleRect.width() - 16,
                          tm.height());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xa3, 0x3a));
    p.drawRoundedRect(
        QRectF(m_titleRect.left(), m_titleRect.top() + 4, 5, m_titleRect.height() - 8), 2.5, 2.5);
    p.setFont(titleFont);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(titleLine.translated(1, 2), Qt::AlignLeft | Qt::AlignVCenter, m_description.title);
    p.setPen(Qt::white);
    p.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter, m_description.title);
    p.setFont(subtitleFont);
    p.setPen(QColor(0xcf, 0xe3, 0xf5));
    const QRect subtitleLine(titleLine.left(), titleLine.bottom() + 4, titleLine.width(),
                             QFontMetrics(subtitleFont).height());
    p.drawText(subtitleLine, Qt::AlignLeft | Qt::AlignVCenter, m_description.subtitle);
    // Today's date at the right end of the subtitle line.
    const QString today =
        QLocale(QLocale::Chinese, QLocale::China).toString(Clock::today(), u"yyyy年M月d日 dddd"_s);
    p.drawText(subtitleLine, Qt::AlignRight | Qt::AlignVCenter, today);
    p.restore();

    // Group captions with their colour bar and a hairline.
    p.save();
    p.setOpacity(headerShown);
    for (const GroupHeader &g : std::as_const(m_headers)) {
        if (!event->rect().intersects(g.rect.adjusted(-4, -4, 4, 4)))
            continue;
        const QFont font = Fonts::sans(std::clamp(int(g.rect.height() * 0.5), 13, 20), true);
        p.setFont(font);
        const QRect text = g.rect.adjusted(12, 0, 0, -4);
        p.setPen(Qt::NoPen);
        p.setBrush(g.accent);
        const int barHeight = QFontMetrics(font).ascent();
        p.drawRoundedRect(
            QRectF(g.rect.left() + 1, text.center().y() - barHeight / 2.0, 4, barHeight), 2, 2);
        p.setPen(Qt::white);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, g.caption);
        QLinearGradient line(g.rect.left(), 0, g.rect.right(), 0);
        line.setColorAt(0, QColor(255, 255, 255, 90));
        line.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(QRect(g.rect.left(), g.rect.bottom() - 3, g.rect.width() - 6, 1), line);
    }
    p.restore();

    // Footer: how to use the menu.
    if (!m_description.footer.isEmpty()) {
        p.setOpacity(headerShown * 0.85);
        p.setFont(Fonts::sans(small ? 12 : int(13 * s)));
        p.setPen(QColor(0xdd, 0xe8, 0xf3));
        p.drawText(m_footerRect, Qt::AlignCenter, m_description.footer);
    }

    emitFirstPainted();
}

void MenuWidget::emitFirstPainted()
{
    if (!m_painted) {
        m_painted = true;
        emit firstPainted();
    }
}
