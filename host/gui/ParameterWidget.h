#pragma once

#include "host/core/base/SignalReceiver.h"

#include <QString>
#include <QWidget>

#include <array>
#include <string>
#include <string_view>
#include <vector>

class QDoubleSpinBox;

namespace Tesselon {

class Configurable;
class ParameterBase;

/// A form with one editor per parameter of a `Configurable`, chosen by the parameter's type and its
/// "min", "max", "values", "hidden" and "tooltip" attributes. Edits go to the parameter at once; changes
/// made elsewhere (on any thread) come back to the editor without being written again. Used by the
/// default algorithm panel and by stream controllers.
class ParameterWidget : public QWidget, public SignalReceiver
{
    Q_OBJECT

public:
    /// The configurable and its parameters must outlive the widget; parameters registered later are not
    /// shown.
    explicit ParameterWidget(Configurable* configurable, QWidget* parent = nullptr);
    ~ParameterWidget() override;

    Configurable* configurable() const { return m_configurable; }
    /// Re-reads every parameter into its editor without signalling.
    void refresh();
    /// The editor of the named parameter, named after it: a spin box, check box, line edit (read-only for
    /// types without an editor) or combo box; for a 3-vector the widget holding the boxes "<name>.x", ".y"
    /// and ".z". Null when the parameter is hidden or unknown.
    QWidget* editor(std::string_view name) const;
    /// How many parameters have an editor.
    int editorCount() const { return static_cast<int>(m_entries.size()); }

signals:
    /// A user edit changed this parameter's value.
    void parameterEdited(QString name);

private:
    enum class Kind
    {
        Int,
        Double,
        Bool,
        Text,
        Choice,
        Vector3,
        ReadOnly
    };

    struct Entry
    {
        ParameterBase* parameter = nullptr;
        Kind kind = Kind::ReadOnly;
        QWidget* editor = nullptr;
        std::array<QDoubleSpinBox*, 3> components{};
    };

    Entry makeEditor(ParameterBase* parameter);
    void connectEditor(std::size_t index);
    void onParameterChanged(std::size_t index);
    void refreshEntry(const Entry& entry);
    void writeToParameter(std::size_t index, const std::string& text);

    Configurable* m_configurable;
    std::vector<Entry> m_entries;
};

}  // namespace Tesselon
