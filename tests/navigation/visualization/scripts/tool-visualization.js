// The tool visualization follows a hand-held needle: the slice views move with it, and without rotations
// they keep their orientation.
function rotation(pose) { return [0, 1, 2, 4, 5, 6, 8, 9, 10].map(function (i) { return pose[i].toFixed(9); }).join(); }
function translation(pose) { return pose.slice(12, 15).join(); }

tesselon.setParameter("Simulated Tracker", "NeedleMotion", "Hand-Held");
tesselon.select("Simulated Tracker");
var panel = tesselon.menu("Visualization;Tool Visualization");
tesselon.choose(tesselon.widget(panel, "comboBox_tool"), "Needle");
var startStop = tesselon.widget(panel, "pushButton_startStop");
startStop.click();
tesselon.check(startStop.text === "Stop", "Start turns into Stop");

tesselon.wait(300);
var before = tesselon.sliceView(1);
tesselon.wait(300);
var after = tesselon.sliceView(1);
tesselon.check(translation(before) !== translation(after) && rotation(before) !== rotation(after),
               "the coronal view follows the moving needle");

tesselon.widget(panel, "checkBox_includeRotations").checked = false;
tesselon.check(!tesselon.widget(panel, "checkBox_snapToClosestAxis").enabled, "snapping needs rotations");
tesselon.wait(300);
before = tesselon.sliceView(1);
tesselon.wait(300);
after = tesselon.sliceView(1);
tesselon.check(translation(before) !== translation(after) && rotation(before) === rotation(after),
               "without rotations the view moves but keeps its orientation");

startStop.click();
tesselon.check(startStop.text === "Start", "Stop turns back into Start");
