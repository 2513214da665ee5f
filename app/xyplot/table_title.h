#pragma once

// The heading above the X-Y plot window's table: the plot's title and
// subtitle in math text, so that the table carries the graph's heading.

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

class PlotSettings;

namespace mathtext {
class LabelFontSets;
class MathLabel;
}  // namespace mathtext

class CTableTitle : public QWidget {
  public:
    // A subtitle of this many characters or more goes on two lines.
    static constexpr int kLineLimit = 100;

    CTableTitle(mathtext::LabelFontSets* fonts, QWidget* parent = nullptr);
    ~CTableTitle() override;

    // The settings shown (borrowed), or null for none.
    void SetSettings(const PlotSettings* settings);
    const PlotSettings* Settings() const { return settings_; }

    // The texts of the last paint: title and the subtitle's lines (the
    // second empty when it fits on one).
    const std::string& Title() const { return title_; }
    const std::string& Subtitle1() const { return subtitle1_; }
    const std::string& Subtitle2() const { return subtitle2_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    mathtext::LabelFontSets* fonts_;
    const PlotSettings* settings_ = nullptr;
    std::unique_ptr<mathtext::MathLabel> titleLabel_;
    std::unique_ptr<mathtext::MathLabel> subtitleLabel_;
    std::unique_ptr<mathtext::MathLabel> subtitle2Label_;
    std::string title_;
    std::string subtitle1_;
    std::string subtitle2_;
};
