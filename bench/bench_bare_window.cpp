// The yardstick for start-up: a bare Qt window with one widget covering the screen, as the
// program's menu does, ended once it has been painted. Run by bench/startup.sh next to the
// program; not a Google Benchmark.
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>

namespace {

class Label : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        if (!m_painted) {
            m_painted = true;
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Label label(QStringLiteral("bare window"));
    label.setWindowFlag(Qt::FramelessWindowHint);
    label.setGeometry(label.screen()->geometry());
    label.show();
    return QApplication::exec();
}
