// The main menu of the start window: plays the menu description file (pic/main.json) as an
// animated full-window menu and reports the chosen command word.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class QParallelAnimationGroup;
class QPropertyAnimation;

// One entry of the menu description.
struct MenuItemDesc
{
    QString caption; // accessible name; shown unless label is given
    QString label;   // shorter text shown on the tile (optional)
    QString hint;    // second line
    QString command; // command word sent with commandChosen
    QString args;    // argument text sent with it (usually empty)
    QString glyph;   // character in the tile's badge
};

struct MenuGroupSpec
{
    QString caption;
    int column = 0;
    QColor accent;
    QList<MenuItemDesc> items;
};

// The menu description file: title lines, groups of items and layout values.
struct MenuDescription
{
    QString title;
    QString subtitle;
    QString footer;
    int columns = 3;
    int maxColumnWidth = 300;
    int itemHeight = 50;
    int compactItemHeight = 46;
    int revealMs = 420;
    int staggerMs = 35;
    int hoverMs = 140;
    QList<MenuGroupSpec> groups;

    // Reads and checks a description file; on failure returns nothing and says why in *error.
    static std::optional<MenuDescription> load(const QString &fileName, QString *error = nullptr);
    static std::optional<MenuDescription> parse(const QByteArray &json, QString *error = nullptr);
    // Every command word of the menu, in menu order.
    QStringList commands() const;
};

// A tile of the menu: a real button whose caption is its accessible name, painted with its
// badge, caption and hint; "reveal" (0..1) fades and slides it in, "highlight" (0..1) follows
// hover and focus.
class MenuItemButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(qreal reveal READ reveal WRITE setReveal)
    Q_PROPERTY(qreal highlight READ highlight WRITE setHighlight)

public:
    MenuItemButton(const MenuItemDesc &desc, const QColor &accent, int hoverMs, QWidget *parent);

    const MenuItemDesc &desc() const { return m_desc; }
    qreal reveal() const { return m_reveal; }
    void setReveal(qreal value);
    qreal highlight() const { return m_highlight; }
    void setHighlight(qreal value);

    int column = 0;
    int row = 0; // position within its column, across groups

    QSize sizeHint() const override;
    // Whether the tile's caption or hint is cut short at its present size.
    bool isElided() const;

signals:
    // Arrow, Home and End keys: the menu moves the focus.
    void navigate(int key);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct TextLayout
    {
        QFont captionFont;
        QFont hintFont;
        qreal left = 0;
        qreal right = 0;
    };
    TextLayout textLayout(const QRectF &tile, qreal badgeRight) const;
    QRectF tileRect() const;
    QRectF badgeRect(const QRectF &tile) const;
    QString shownCaption() const;
    void animateHighlight();

    MenuItemDesc m_desc;
    QColor m_accent;
    qreal m_reveal = 1.0;
    qreal m_highlight = 0.0;
    bool m_hovered = false;
    QPropertyAnimation *m_highlightAnimation = nullptr;
};

// The whole menu: background picture, title, groups of tiles, footer.
class MenuWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal headerReveal READ headerReveal WRITE setHeaderReveal)

public:
    explicit MenuWidget(QWidget *parent = nullptr);
    ~MenuWidget() override;

    // Loads a description file and builds the tiles; false (and the menu empty) when it fails.
    bool load(const QString &fileName, QString *error = nullptr);
    void setDescription(const MenuDescription &description);
    // Uses a picture as the background (pic/bg_start.bmp); a missing one gives a gradient.
    void setBackgroundPicture(const QString &fileName);
    // Starts the opening animation and puts the focus on the first tile.
    void play();
    bool isPlaying() const;
    // Ends the opening animation at its last frame, as when a window opens over the menu.
    void finishPlaying();

    QList<MenuItemButton *> items() const { return m_items; }
    MenuItemButton *item(const QString &command) const;

    qreal headerReveal() const { return m_headerReveal; }
    void setHeaderReveal(qreal value);

signals:
    // A tile was chosen (clicked, or Enter on it): its command word and argument text.
    void commandChosen(const QString &command, const QString &args);
    // Emitted once, after the menu was painted for the first time.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    struct GroupHeader
    {
        QString caption;
        QColor accent;
        QRect rect;
    };

    void clearItems();
    QImage backgroundAt(const QSize &size) const;
    void emitFirstPainted();
    void layoutItems();
    void moveFocus(MenuItemButton *from, int key);
    bool compact() const;

    MenuDescription m_description;
    QList<MenuItemButton *> m_items;
    QList<GroupHeader> m_headers;
    QString m_backgroundFile;
    QImage m_background; // the picture at the window's size

    QRect m_titleRect;
    QRect m_footerRect;
    qreal m_headerReveal = 1.0;
    bool m_painted = false;
    bool m_releasePending = false;
    QPointer<QParallelAnimationGroup> m_animation;
};
