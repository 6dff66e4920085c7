// The README's example: select data, open a panel from a menu, change it, read the tracker.
tesselon.select("Simulated Tracker", "tesselon-synthetic-ct");
var panel = tesselon.menu("Visualization;Bullseye Visualization");
tesselon.setParameter(panel, "viewDistance", 150);
tesselon.widget("Tool Visualization", "pushButton_startStop").click();
tesselon.wait(500);

var needle = tesselon.instruments("Simulated Tracker").filter(function (i) { return i.id === "Needle"; })[0];
tesselon.check(needle && needle.valid, "the tracker sees the needle");
console.log("Needle marker at " + needle.position.map(Math.round).join(", ") + " mm, quality " +
            needle.quality.toFixed(2));
console.log(tesselon.panels().map(function (p) { return p.title; }).join(", "));
tesselon.menu("View;Script console");
