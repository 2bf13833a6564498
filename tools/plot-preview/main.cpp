// plot-preview: shows the position plot and the scatter plot fed with a wandering position
// once a second (or faster with a number of samples per second as the only argument). Their
// context menus act here as the program's frame acts: the clear commands ask first, and the
// centring commands store the mode in the program's settings, where both take it from.

#include <QApplication>
#include <QDateTime>
#include <QSplitter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "displays/CPositionPlotWnd.h"
#include "displays/CScatterPlotWnd.h"
#include "displays/MicroDegrees.h"
#include "displays/PlotClearQuestions.h"
#include "displays/PositionSample.h"
#include "displays/ScatterPlotSettings.h"
#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/UiHooks.h"

namespace {

class PreviewWindow : public QSplitter {
public:
    PreviewWindow() {
        setWindowTitle(QStringLiteral("Plot preview"));
        m_position = new CPositionPlotWnd(this);
        m_scatter = new CScatterPlotWnd(this);
        m_position->setAccessibleName(QStringLiteral("Position Plot"));
        m_scatter->setAccessibleName(QStringLiteral("Scatter Plot"));
        m_scatter->centreMode = StoredScatterCentreMode();
        m_scatter->recentrePending = 1;
        addWidget(m_position);
        addWidget(m_scatter);
        setSizes({900, 500});
        resize(1200, 560);
    }

    // One receiver sample: a slow drift with noise, and now and then a poor HDOP.
    void Step() {
        m_lat += 2e-7 + m_noise(m_rng) * 3e-6;
        m_lon += m_noise(m_rng) * 3e-6;
        const double alt = 42.0 + m_noise(m_rng) * 4.0;
        const double hdop = m_uniform(m_rng) < 0.1 ? 4.5 : 0.9 + m_uniform(m_rng);
        PositionSample sample;
        sample.latitude = m_lat;
        sample.longitude = m_lon;
        sample.altitude = alt;
        sample.hdop = hdop;
        sample.fixQuality = 1;
        sample.utcMs = QDateTime::currentMSecsSinceEpoch();
        m_scatter->AddSample(sample);
        m_position->AddSample(sample);
        CScatterPlotPosition average;
        average.latitude = MicroDegrees(m_position->m_averages[0].Average());
        average.longitude = MicroDegrees(m_position->m_averages[1].Average());
        m_scatter->averageCentre = average;
        m_scatter->RequestRepaint();
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() != WM_COMMAND_EVENT)
            return QSplitter::event(e);
        switch (static_cast<CommandEvent*>(e)->id()) {
        case Cmd::ClearPositionPlots:
            if (Confirm(kClearPositionPlotsQuestion))
                m_position->ClearPlots();
            break;
        case Cmd::ClearScatterPlot:
            if (Confirm(kClearScatterPlotQuestion)) {
                m_scatter->ClearPlot(true);
                // The next sample is the centre, without storing the mode.
                m_scatter->centreMode = ScatterPlotModel::CentreOnNextSample;
                m_scatter->recentrePending = 1;
                m_scatter->RequestRepaint();
            }
            break;
        case Cmd::CenterUserPosition:
            Centre(ScatterPlotModel::CentreOnUser);
            break;
        case Cmd::CenterOnAverage:
            Centre(ScatterPlotModel::CentreOnAverage);
            break;
        case Cmd::CenterNextSample:
            Centre(ScatterPlotModel::CentreOnNextSample);
            break;
        default:
            break;
        }
        return true;
    }

private:
    void Centre(ScatterPlotModel::CentreMode mode) {
        m_scatter->centreMode = mode;
        m_scatter->recentrePending = 1;
        m_scatter->RequestRepaint();
        StoreScatterCentreMode(mode);
    }

    bool Confirm(const char* question) {
        return AppMessageBox(this, QMessageBox::Warning, QString::fromLatin1(question),
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }

    CPositionPlotWnd* m_position;
    CScatterPlotWnd* m_scatter;
    double m_lat = 51.4778, m_lon = -0.0015;
    std::mt19937 m_rng{20240601};
    std::normal_distribution<double> m_noise{0.0, 1.0};
    std::uniform_real_distribution<double> m_uniform{0.0, 1.0};
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int rate = 1;
    if (argc > 1)
        rate = std::max(1, std::min(1000, std::atoi(argv[1])));
    PreviewWindow window;
    for (int i = 0; i < 30; ++i)
        window.Step();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { window.Step(); });
    timer.start(1000 / rate);
    window.show();
    return app.exec();
}
