#include "game/StageResponseView.h"

#include "journal/CurvePlotModule.h"
#include "platform/ScreenFit.h"
#include "session/StageFlow.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

StageResponseView::StageResponseView(StageFlow& stage, QWidget* parent)
    : QDialog(parent), layout_(new QVBoxLayout(this)), notice_(new QLabel(this))
{
    setWindowTitle(tr("Bühne: Frequenzgang"));
    notice_->setWordWrap(true);
    layout_->addWidget(notice_);
    FitToScreen(*this, QSize(900, 700));
    if (!stage.Turn()) {
        notice_->setText(tr("Noch keine Bühne gespielt. Schalten Sie "
                            "„Training“ > „Bühne“ ein und klicken Sie START."));
        return;
    }
    notice_->setText(
        tr("Die Schleifenverstärkung der letzten Bühne: Wo sie über 0 dB steigt, heult es. "
           "Darunter der Equalizer, wie Sie ihn gestellt haben."));
    QString problem;
    const CreateStagePlotFunction createPlot = LoadStagePlot(&problem);
    if (!createPlot) {
        notice_->setText(tr("Die Grafik kann nicht gezeigt werden. %1").arg(problem));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const StageResponse response = stage.Response();
    QApplication::restoreOverrideCursor();
    plot_ = createPlot(response, this);
    plot_->setMinimumSize(640, 480);
    layout_->addWidget(plot_, 1);
}

QString StageResponseView::NoticeText() const
{
    return notice_->text();
}
