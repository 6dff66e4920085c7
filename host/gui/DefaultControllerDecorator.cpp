#include "host/gui/DefaultControllerDecorator.h"

#include "host/gui/AlgorithmController.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace Tesselon {

DefaultControllerDecorator::DefaultControllerDecorator(AlgorithmController* controller, QWidget* parent)
    : DefaultControllerDecorator(controller ? controller->widget() : nullptr,
                                 controller ? controller->title() : QString(), parent)
{
}

DefaultControllerDecorator::DefaultControllerDecorator(QWidget* content, QString title, QWidget* parent)
    : QWidget(parent),
      m_content(content),
      m_title(std::move(title)),
      m_titleLabel(new QLabel(this)),
      m_collapseButton(new QToolButton(this)),
      m_closeButton(new QToolButton(this))
{
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    m_titleLabel->setObjectName("title");
    QFont bold = m_titleLabel->font();
    bold.setBold(true);
    m_titleLabel->setFont(bold);
    m_collapseButton->setObjectName("collapse");
    m_collapseButton->setAutoRaise(true);
    m_collapseButton->setArrowType(Qt::DownArrow);

    auto* titleBar = new QHBoxLayout;
    titleBar->addWidget(m_collapseButton);
    titleBar->addWidget(m_titleLabel, 1);
    m_closeButton->setObjectName("closePanel");
    m_closeButton->setAutoRaise(true);
    m_closeButton->setText(QStringLiteral("✕"));
    m_closeButton->setToolTip(tr("Close"));
    m_closeButton->hide();
    titleBar->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(titleBar);
    if (m_content)
        layout->addWidget(m_content);

    connect(m_collapseButton, &QToolButton::clicked, this, [this] { setCollapsed(!m_collapsed); });
    connect(m_closeButton, &QToolButton::clicked, this, &DefaultControllerDecorator::closeRequested);
    updateTitle();
}

QString DefaultControllerDecorator::title() const
{
    if (!m_titleOverride.isEmpty())
        return m_titleOverride;
    return m_title;
}

void DefaultControllerDecorator::setTitleOverride(QString title)
{
    m_titleOverride = std::move(title);
    updateTitle();
}

void DefaultControllerDecorator::setCollapsible(bool collapsible)
{
    m_collapsible = collapsible;
    m_collapseButton->setVisible(collapsible);
    if (!collapsible)
        setCollapsed(false);
}

void DefaultControllerDecorator::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed || (collapsed && !m_collapsible))
        return;
    m_collapsed = collapsed;
    if (m_content)
        m_content->setVisible(!collapsed);
    m_collapseButton->setArrowType(collapsed ? Qt::RightArrow : Qt::DownArrow);
    emit collapsedChanged(collapsed);
}

void DefaultControllerDecorator::updateTitle()
{
    m_titleLabel->setText(title());
}

void DefaultControllerDecorator::setClosable(bool closable)
{
    m_closeButton->setVisible(closable);
}

}  // namespace Tesselon
