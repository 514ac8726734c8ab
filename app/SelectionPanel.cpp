#include "app/SelectionPanel.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>

#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"

namespace {

constexpr int kRowTop = 23;
constexpr int kRowPitch = 22;
constexpr int kRowHeight = 20;
constexpr int kNameLeft = 164;
constexpr int kNameWidth = 56;
constexpr int kValueControlLeft = 224;
constexpr int kValueLabelWidth = 40;
constexpr int kValueLabelBuffer = 255;  // characters of a value label's text
constexpr int kEditBuffer = 999;        // characters of an edit box's text

Label* MakeLabel(QWidget* parent, const QRect& place, const QString& text) {
    auto* label = new Label(parent);
    label->setGeometry(place);
    label->show();
    label->SetText(text);
    return label;
}

QWidget* MakeSlider(QWidget* parent, const QRect& place, const Param& param) {
    auto* slider = new Slider(parent);
    slider->setGeometry(place);
    slider->show();
    // The value first: setting the range then clamps it.
    MessageEvent setValue(MSG_SLIDER_SET_VALUE, param.GetValue());
    QCoreApplication::sendEvent(slider, &setValue);
    MessageEvent setRange(MSG_SLIDER_SET_RANGE, param.GetMin(), param.GetMax());
    QCoreApplication::sendEvent(slider, &setRange);
    return slider;
}

QLineEdit* MakeEditBox(QWidget* parent, const QRect& place, const Param& param) {
    auto* edit = new QLineEdit(QString::fromStdString(param.GetText()).left(kEditBuffer), parent);
    edit->setGeometry(place);
    edit->show();
    return edit;
}

void DestroyAll(std::vector<QPointer<QWidget>>& list) {
    for (auto& widget : list) delete widget.data();
    list.clear();
}

}  // namespace

QString ValueLabelText(const std::string& text) {
    return QString::fromStdString(text.substr(0, kValueLabelBuffer));
}

QString DescribeCable(const Cable& cable) {
    auto name = [](const std::string& s) { return QString::fromStdString(s); };
    return QStringLiteral("Cable from '%1' of '%2' to '%3' of '%4'")
        .arg(name(cable.first->name), name(cable.first->owner->name), name(cable.second->name),
             name(cable.second->owner->name));
}

void SelectionPanel::Clear() {
    ++generation_;
    DestroyAll(state_.valueControls);
    DestroyAll(state_.nameLabels);
    DestroyAll(state_.valueLabels);
}

void SelectionPanel::ShowNothing() {
    state_.selectionTitle->setText(QStringLiteral("none"));
    state_.selection.Show({});
}

QRect SelectionPanel::GroupRect() const {
    return state_.selectionGroup->geometry();
}

void SelectionPanel::BuildNodePanel(Node* node) {
    Clear();
    if (!node) return ShowNothing();
    const QRect group = GroupRect();
    for (size_t i = 0; i < node->params.size(); ++i)
        AddRow(node->param(i), group.top() + kRowTop + kRowPitch * static_cast<int>(i),
               group.width());
    state_.selectionTitle->setText(QString::fromStdString(node->name));
    state_.selection.Show(Selection::Of(node));
}

void SelectionPanel::BuildNodesPanel(const std::vector<Node*>& nodes) {
    if (nodes.size() < 2) return BuildNodePanel(nodes.empty() ? nullptr : nodes.front());
    Clear();
    state_.selectionTitle->setText(QStringLiteral("%1 nodes selected").arg(nodes.size()));
    state_.selection.Show(Selection::Of(nodes));
}

void SelectionPanel::Build(const Selection& selection) {
    if (selection.nodes.empty())
        BuildCablePanel(selection.cable);
    else
        BuildNodesPanel(selection.nodes);
}

void SelectionPanel::AddRow(const Param& param, int y, int gw) {
    const QString text = ValueLabelText(param.GetText());
    const QRect controlPlace(kValueControlLeft, y, gw - 116, kRowHeight);
    QWidget* control = nullptr;
    if (param.isNumeric) {
        control = MakeSlider(client_, controlPlace, param);
    } else {
        auto* edit = MakeEditBox(client_, controlPlace, param);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this, edit] { editChanged_(edit); });
        QObject::connect(edit, &QLineEdit::editingFinished, edit, [this] { ++generation_; });
        control = edit;
    }
    Label* name = MakeLabel(client_, QRect(kNameLeft, y, kNameWidth, kRowHeight),
                            QString::fromStdString(param.name));
    Label* value = MakeLabel(client_, QRect(gw + 112, y, kValueLabelWidth, kRowHeight), text);
    state_.valueControls.emplace_back(control);
    state_.nameLabels.emplace_back(name);
    state_.valueLabels.emplace_back(value);
}

void SelectionPanel::BuildCablePanel(Cable* cable) {
    Clear();
    if (!cable) return ShowNothing();
    const QRect group = GroupRect();
    const QString text = DescribeCable(*cable).left(kEditBuffer);
    state_.nameLabels.emplace_back(MakeLabel(
        client_, QRect(kNameLeft, group.top() + kRowTop, group.width() - 20, kRowHeight), text));
    state_.selectionTitle->setText(QStringLiteral("a cable"));
    state_.selection.Show(Selection::Of(cable));
}

int SelectionPanel::FindValueControl(const QWidget* control) const {
    if (!control) return -1;
    for (size_t i = 0; i < state_.valueControls.size(); ++i)
        if (state_.valueControls[i].data() == control) return static_cast<int>(i);
    return -1;
}
