#include "storage/CorrFile.h"

#include "storage/NumText.h"
#include "storage/TraceText.h"

#include <QFileInfo>
#include <QStringList>

#include <cmath>

QString CorrTableName(const QString &path)
{
  const QString name = QFileInfo(path).fileName();
  const int at = name.indexOf(QLatin1String(".fda"), 0, Qt::CaseInsensitive);
  return at < 0 ? name : name.left(at);
}

bool CorrTableText(const CfgStr &cfg, const QString &tableName, QByteArray &text, QString *reason)
{
  if (!TracesComplete(cfg, reason))
    return false;
  QStringList nodes;
  QStringList corrections;
  const QVector<double> &row = cfg.Traces[0][0];
  for (int i = 0; i < cfg.PointCount; ++i) {
    if (std::isnan(row[i]))
      continue;
    nodes << FixedText(cfg.AnaFreqs[i] * 1e6, 6);
    corrections << FixedText(row[i] - cfg.Gen1.StartLevel, 3);
  }
  if (nodes.isEmpty()) {
    if (reason)
      *reason = QStringLiteral("The first trace has no measured point; there is no correction to write.");
    return false;
  }
  const QString count = QString::number(nodes.size());
  const QString xml = QStringLiteral(
      "<?xml version=\"1.0\" standalone=\"no\"?>\n"
      "<!DOCTYPE swpl>\n"
      "<swpl>\n"
      "  <FrequencyDependantExternalAttenuationCorrectionTable properties=\"true\">\n"
      "    <properties>\n"
      "      <TableName value=\"%1\" type=\"bstr\" />\n"
      "      <TableSize value=\"%2\" type=\"i4\" />\n"
      "      <FrequencyNodes type=\"array|r8\">\n"
      "        <Vector count=\"%2\" type=\"r8\" data=\"%3\" />\n"
      "      </FrequencyNodes>\n"
      "      <CorrectionValues type=\"array|r8\">\n"
      "        <Vector count=\"%2\" type=\"r8\" data=\"%4\" />\n"
      "      </CorrectionValues>\n"
      "    </properties>\n"
      "  </FrequencyDependantExternalAttenuationCorrectionTable>\n"
      "</swpl>\n");
  text = xml.arg(tableName.toHtmlEscaped(), count, nodes.join(QLatin1Char(';')), corrections.join(QLatin1Char(';')))
             .toUtf8();
  return true;
}
