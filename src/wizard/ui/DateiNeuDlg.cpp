#include "wizard/ui/DateiNeuDlg.h"

#include "app/ui/Command.h"

#include <QDate>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>

namespace {

constexpr int kClientWidth = 580;
constexpr int kClientHeight = 386;
constexpr int kCaptionHeight = 40;
constexpr int kListWidth = 180;
constexpr int kAreaHeight = 300;
constexpr int kButtonTop = 352;
constexpr double kGradientStep = 0.07;
constexpr int kTextInset = 10;

// The fixed colours of the classic look, independent of focus: the list
// keeps its highlight when a button has the focus.
QColor BtnFace(const QPalette& p) { return p.color(QPalette::Active, QPalette::Button); }
QColor BtnShadow(const QPalette& p) { return p.color(QPalette::Active, QPalette::Dark); }

QColor WithLightness(const QColor& base, double delta)
{
    const QColor hsl = base.toHsl();
    const double l = std::clamp(hsl.lightnessF() + delta, 0.0, 1.0);
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), l);
}

// The entries of the step list: a soft vertical gradient over the face or
// highlight colour, a shadow line at the bottom, the caption right-aligned.
class TStepItemDelegate : public QStyledItemDelegate {
public:
    TStepItemDelegate(QObject* parent, const int& height)
        : QStyledItemDelegate(parent)
        , Height(height) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        const QColor base = selected ? pal.color(QPalette::Active, QPalette::Highlight) : BtnFace(pal);
        painter->save();
        painter->fillRect(r, base);
        if (index.row() >= 0) {
            QLinearGradient gradient(r.topLeft(), r.bottomLeft());
            gradient.setColorAt(0, WithLightness(base, kGradientStep));
            gradient.setColorAt(1, WithLightness(base, -kGradientStep));
            painter->fillRect(r, gradient);
            painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), BtnShadow(pal));
            painter->setPen(selected ? pal.color(QPalette::Active, QPalette::HighlightedText)
                                     : pal.color(QPalette::Active, QPalette::ButtonText));
            painter->setFont(option.font);
            painter->drawText(r.adjusted(0, 0, -kTextInset, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                              index.data(Qt::DisplayRole).toString());
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), Height};
    }

private:
    const int& Height;
};

QFrame* Line(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, BtnShadow(parent->palette()));
    line->setPalette(p);
    return line;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

} // namespace

TDateiNeuDlg::TDateiNeuDlg(QWidget* parent, TWizzardYearSource currentYear, TWizzardPictureLoader pictureLoader)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , TLocalizerForm(this, QStringLiteral("TDateiNeuDlg"))
    , FCurrentYear(currentYear ? std::move(currentYear) : [] { return QDate::currentDate().year(); })
    , FPictureLoader(pictureLoader ? std::move(pictureLoader) : &LoadWizzardPicture)
{
    setWindowTitle(QStringLiteral("Neues Projekt anlegen"));
    setFixedSize(kClientWidth, kClientHeight);

    panCaption = new QWidget(this);
    panCaption->setObjectName(QStringLiteral("panCaption"));
    panCaption->setGeometry(0, 0, kClientWidth, kCaptionHeight);
    panCaption->setAutoFillBackground(true);
    QPalette capPal = panCaption->palette();
    capPal.setColor(QPalette::Window, BtnShadow(palette()));
    capPal.setColor(QPalette::WindowText, Qt::white);
    panCaption->setPalette(capPal);

    lblCaption = new QLabel(panCaption);
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    QFont capFont(QStringLiteral("Arial"));
    capFont.setPixelSize(19);
    lblCaption->setFont(capFont);
    lblCaption->setGeometry(6, 9, kClientWidth - 12, kCaptionHeight - 12);
    lblCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lbSteps = new QListWidget(this);
    lbSteps->setObjectName(QStringLiteral("lbSteps"));
    lbSteps->setGeometry(0, kCaptionHeight, kListWidth, kAreaHeight);
    lbSteps->setFrameShape(QFrame::NoFrame);
    lbSteps->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbSteps->setUniformItemSizes(true);
    lbSteps->setSelectionMode(QAbstractItemView::SingleSelection);
    lbSteps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbSteps->setAutoFillBackground(true);
    QPalette listPal = lbSteps->palette();
    listPal.setColor(QPalette::Base, BtnFace(palette()));
    lbSteps->setPalette(listPal);
    lbSteps->setFont(font());
    lbSteps->setItemDelegate(new TStepItemDelegate(lbSteps, FItemHeight));
    lbSteps->installEventFilter(this);

    imgWizzard = new QLabel(this);
    imgWizzard->setObjectName(QStringLiteral("imgWizzard"));
    imgWizzard->setGeometry(kListWidth, kCaptionHeight, kClientWidth - kListWidth, kAreaHeight);
    imgWizzard->setScaledContents(true);

    // Drawn over the edges of the list and the picture.
    Line(this, "bvlCaption", QRect(0, kCaptionHeight, kClientWidth, 1))->raise();
    Line(this, "bvlList", QRect(kListWidth - 1, kCaptionHeight, 1, kAreaHeight))->raise();
    Line(this, "bvlButtons", QRect(0, kCaptionHeight + kAreaHeight, kClientWidth, 1))->raise();

    BtnDateiOeffnen =
        Button(this, "BtnDateiOeffnen", QStringLiteral("Projekt öffnen..."), QRect(6, kButtonTop, 151, 25));
    BtnZurueck = Button(this, "BtnZurueck", QStringLiteral("<< Zurück"), QRect(293, kButtonTop, 85, 25));
    BtnWeiter = Button(this, "BtnWeiter", QStringLiteral("Weiter >>"), QRect(383, kButtonTop, 85, 25));
    BtnAbbrechen = Button(this, "BtnAbbrechen", QStringLiteral("Abbrechen"), QRect(485, kButtonTop, 85, 25));
    BtnWeiter->setDefault(true);

    connect(lbSteps, &QListWidget::currentRowChanged, this, [this] { RunCommand([this] { lbStepsClick(); }); });
    connect(lbSteps, &QListWidget::doubleClicked, this, [this] { RunCommand([this] { lbStepsDblClick(); }); });
    connect(BtnWeiter, &QPushButton::clicked, this, [this] { RunCommand([this] { BtnWeiterClick(); }); });
    connect(BtnZurueck, &QPushButton::clicked, this, [this] { RunCommand([this] { BtnZurueckClick(); }); });
    connect(BtnDateiOeffnen, &QPushButton::clicked, this, [this] { RunCommand([this] { BtnDateiOeffnenClick(); }); });
    connect(BtnAbbrechen, &QPushButton::clicked, this, &TDateiNeuDlg::reject);

    // The catalogue's texts are registered here, so it is built afterwards.
    InitLocalizer();
    BuildSteps();
    ShowLevel(&Root());
    lbSteps->setFocus();
}

TDateiNeuDlg::~TDateiNeuDlg()
{
    // The list outlives the wizard state while the children are deleted.
    lbSteps->removeEventFilter(this);
    disconnect(lbSteps, nullptr, this, nullptr);
}

int TDateiNeuDlg::Execute(TFBDocument& doc)
{
    SetDocument(&doc);
    return exec();
}

void TDateiNeuDlg::RegisterTexts()
{
    RegisterWizzardTexts(Localizer());
}

void TDateiNeuDlg::AfterTranslate()
{
    if (FWizzard)
        BtnWeiter->setText(FWizzard->WeiterCaption(Localizer()));
}

void TDateiNeuDlg::BuildSteps()
{
    FWizzard = std::make_unique<TDateiNeuWizzard>(Localizer(), FCurrentYear());
    FItemHeight = StepItemHeight(lbSteps->contentsRect().height(), Root().ChildCount());
}

void TDateiNeuDlg::ShowLevel(TWizzardStep* step)
{
    FWizzard->ShowLevel(step);
    ShowCurrentLevel();
}

void TDateiNeuDlg::ShowCurrentLevel()
{
    const TWizzardStep* level = FWizzard->CurrentLevel();
    lblCaption->setText(level->Question);
    {
        const QSignalBlocker block(lbSteps);
        lbSteps->setUpdatesEnabled(false);
        lbSteps->clear();
        for (int i = 0; i < level->ChildCount(); ++i)
            lbSteps->addItem(level->Child(i)->Caption);
        lbSteps->setUpdatesEnabled(true);
    }
    ShowSelectedStep();
    lbSteps->viewport()->update();
    BtnZurueck->setEnabled(FWizzard->CanGoBack());
}

void TDateiNeuDlg::ShowStep(TWizzardStep* step)
{
    FWizzard->ShowStep(step);
    ShowSelectedStep();
}

void TDateiNeuDlg::ShowSelectedStep()
{
    {
        const QSignalBlocker block(lbSteps);
        lbSteps->setCurrentRow(FWizzard->SelectedIndex());
    }
    if (const TWizzardStep* step = FWizzard->SelectedStep())
        imgWizzard->setPixmap(QPixmap::fromImage(FPictureLoader(step->EffectivePictureName())));
    BtnWeiter->setText(FWizzard->WeiterCaption(Localizer()));
}

void TDateiNeuDlg::lbStepsClick()
{
    const int row = lbSteps->currentRow();
    if (row < 0)
        return;
    FWizzard->SelectIndex(row);
    ShowSelectedStep();
}

void TDateiNeuDlg::lbStepsDblClick()
{
    BtnWeiterClick();
}

void TDateiNeuDlg::BtnWeiterClick()
{
    switch (FWizzard->Weiter(FDoc)) {
    case TDateiNeuWizzard::TWeiterResult::Descended:
        ShowCurrentLevel();
        break;
    case TDateiNeuWizzard::TWeiterResult::Finished:
        done(mrProduct);
        break;
    case TDateiNeuWizzard::TWeiterResult::Nothing:
        break;
    }
}

void TDateiNeuDlg::BtnZurueckClick()
{
    if (FWizzard->Zurueck())
        ShowCurrentLevel();
}

void TDateiNeuDlg::BtnDateiOeffnenClick()
{
    done(mrDateiOeffnen);
}

void TDateiNeuDlg::reject()
{
    done(mrCancel);
}

bool TDateiNeuDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbSteps && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
        RunCommand([this] { BtnZurueckClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
