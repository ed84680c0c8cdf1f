// A small program that ends itself through end_program while its windows
// misbehave, so a test can watch a real process end.
#include "app/end_program.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using namespace zel;

namespace {

enum class Closing { Accepts, Refuses, EndsProgramAgain };

class ProbeWindow final : public QWidget
{
public:
    ProbeWindow(const char *name, Closing closing)
        : name(name)
        , closing(closing)
    { }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        std::printf("%s closing\n", name);
        std::fflush(stdout);
        switch (closing) {
        case Closing::Accepts:
            event->accept();
            break;
        case Closing::Refuses:
            event->ignore();
            break;
        case Closing::EndsProgramAgain:
            endProgram();
        }
    }

private:
    const char *name;
    Closing closing;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ProbeWindow first("first", Closing::Accepts);
    ProbeWindow refuser("refuser", Closing::Refuses);
    ProbeWindow nested("nested", Closing::EndsProgramAgain);
    ProbeWindow last("last", Closing::Accepts);
    for (QWidget *window : {&first, &refuser, &nested, &last})
        window->show();

    QTimer::singleShot(0, [] { endProgram(); });
    application.exec();
    // Reaching here means end_program returned: it must not.
    std::printf("outer call resumed\n");
    return 3;
}
