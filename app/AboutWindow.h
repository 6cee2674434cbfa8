// The about window: the product's title and notices over a picture, and a close button.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_titleLabel = nullptr;  // product title
    QLabel *m_noticeLabel = nullptr; // notices
    QPushButton *m_closeButton = nullptr;
    QPixmap m_picture;
};
