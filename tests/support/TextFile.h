#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace Tesselon::Test {

/// Writes `text` to the file `name` in the folder and returns its path.
inline std::string writeTextFile(const QTemporaryDir& folder, const std::string& name,
                                 const std::string& text)
{
    const QString path = folder.filePath(QString::fromStdString(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path.toStdString();
}

}  // namespace Tesselon::Test
