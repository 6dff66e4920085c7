// Lines and curves drawn in the slice views or loaded from a markups file become annotations of the CT;
// while one is drawn, clicks place its points instead of moving the slices, and the status bar prompts.
function annotation(name) {
    return tesselon.annotations("tesselon-synthetic-ct").filter(function (a) { return a.name === name; })[0];
}
function near(a, b) { return a.every(function (x, i) { return Math.abs(x - b[i]) < 1; }); }
var prompt = tesselon.widget(null, "annotationPrompt");
var axial = tesselon.sliceView(0);
var coronal = tesselon.sliceView(1).join();
function onAxial(right, forward) { return [axial[12] + right, axial[13] + forward, axial[14]]; }

tesselon.menu("Annotations;Draw Line");
tesselon.check(prompt.text === "Click the line's start in a slice view (Escape cancels).", "prompt: " + prompt.text);
tesselon.click(0, onAxial(-20, -10));
tesselon.click(0, onAxial(10, 15));
var line = annotation("Line 1");
tesselon.check(line && line.kind === "line" && !prompt.visible, "the second click ends the line");
tesselon.check(near(line.points[0], onAxial(-20, -10)) && near(line.points[1], onAxial(10, 15)),
               "the line runs between the clicks: " + JSON.stringify(line.points));

tesselon.menu("Annotations;Draw Curve");
[onAxial(-20, 0), onAxial(0, 10), onAxial(20, 0)].forEach(function (p) { tesselon.click(0, p); });
tesselon.check(prompt.text.indexOf("double-click, Enter or Draw Curve again ends it") > 0, "prompt: " + prompt.text);
tesselon.check(!annotation("Curve 1"), "a curve goes on until it is finished");
tesselon.menu("Annotations;Draw Curve");
var curve = annotation("Curve 1");
tesselon.check(curve && curve.kind === "curve" && curve.points.length === 3, "choosing the entry again ends the curve");
tesselon.check(tesselon.sliceView(1).join() === coronal, "the clicks placed points; the slices stayed");
tesselon.click(0, onAxial(15, 15));
tesselon.check(tesselon.sliceView(1).join() !== coronal, "with nothing drawn, a click moves the other slices");

tesselon.check(tesselon.widget(null, "annotationTools").openMarkups("planned-path.mrk.json"), "the file opens");
var loadedLine = annotation("Biopsy line"), loadedPath = annotation("Biopsy path");
tesselon.check(loadedLine && loadedLine.kind === "line" && loadedPath && loadedPath.kind === "curve" &&
               loadedPath.points.length === 3, "the file's line and curve: " + JSON.stringify([loadedLine, loadedPath]));

