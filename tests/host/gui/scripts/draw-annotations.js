// Lines and curves drawn in the slice views or loaded from a markups file become markups of the CT; while
// one is drawn, clicks place its points instead of moving the slices, and the status bar says what to do.
function added(name) {
    return tesselon.log().indexOf('[info] Session: Added "' + name + '" to the markups.') >= 0;
}
var prompt = tesselon.widget(null, "annotationPrompt");
var axial = tesselon.sliceView(0);
var coronal = tesselon.sliceView(1).join();
function onAxial(right, forward) { return [axial[12] + right, axial[13] + forward, axial[14]]; }

tesselon.menu("Annotations;Draw Line");
tesselon.check(prompt.text === "Click the line's start in a slice view (Escape cancels).", "prompt: " + prompt.text);
tesselon.click(0, onAxial(-20, -10));
tesselon.check(prompt.text === "Click the line's end in a slice view (Escape cancels).", "prompt: " + prompt.text);
tesselon.click(0, onAxial(10, 15));
tesselon.check(added("Line 1") && !prompt.visible, "the second click ends the line");

tesselon.menu("Annotations;Draw Curve");
[onAxial(-20, 0), onAxial(0, 10), onAxial(20, 0)].forEach(function (p) { tesselon.click(0, p); });
tesselon.check(prompt.text.indexOf("double-click, press Enter or choose Draw Curve again") > 0, "prompt: " + prompt.text);
tesselon.check(!added("Curve 1"), "a curve goes on until it is finished");
tesselon.menu("Annotations;Draw Curve");
tesselon.check(added("Curve 1"), "choosing the entry again ends the curve");
tesselon.check(tesselon.sliceView(1).join() === coronal, "the clicks placed points; the slices stayed");
tesselon.click(0, onAxial(15, 15));
tesselon.check(tesselon.sliceView(1).join() !== coronal, "with nothing drawn, a click moves the slices again");

tesselon.check(tesselon.widget(null, "annotationTools").openMarkups("planned-path.mrk.json"), "the file opens");
tesselon.check(added("Planned line") && added("Planned path"), "the file's line and curve join the markups");
