#include "app/compose/UnavailableComposer.h"

#include "app/run/RunContext.h"

UnavailableComposer::UnavailableComposer(RunContext &context, QString statusText, OutputResult result)
    : m_context(context), m_statusText(std::move(statusText)), m_result(result)
{
}

bool UnavailableComposer::prepare(Workspace &)
{
    return true;
}

OutputResult UnavailableComposer::compose(int, const QDateTime &)
{
    m_context.setStatus(m_statusText);
    return m_result;
}
