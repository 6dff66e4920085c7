// Combining the needle relative to the reference in the window gives a stream that emits the needle's
// relative pose; an interval edited in a smoothed stream's panel is the stream's.

tesselon.select("Simulated Tracker");
var combine = tesselon.menu("Streaming;Combine Trackings");
tesselon.wait(300);
tesselon.choose(tesselon.widget(combine, "comboBoxPreInstrument"), "Reference");
tesselon.choose(tesselon.widget(combine, "comboBoxPostInstrument"), "Needle");
tesselon.widget(combine, "pushButtonAddInstrument").click();
tesselon.wait(300);
var combined = tesselon.instruments(combine);
tesselon.check(combined.length === 1 && combined[0].id === "relative-0" && combined[0].valid,
               "the combined stream emits the needle relative to the reference: " + JSON.stringify(combined));

tesselon.select("Simulated Tracker");
var smooth = tesselon.menu("Streaming;Smoothed Live Tracking Stream");
tesselon.choose(tesselon.widget(smooth, "smoothingMode"), "Weighted");
tesselon.wait(100);
tesselon.widget(smooth, "smoothingInterval").value = 250;
tesselon.wait(100);
tesselon.check(tesselon.parameter(smooth, "smoothingInterval") === 250,
               "the stream smooths over the interval edited in its panel");
