<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CMessageBox</name>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CameraPanel</name>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was not accepted: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The current pane has no camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exposure (µs):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gain:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line rate (Hz):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frame rate (fps):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trigger mode:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel format:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CameraRoiTool</name>
    <message>
        <source>ROI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Columns</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mask %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset to Full Sensor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset to All Columns</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove Mask</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CorrectionDialog</name>
    <message>
        <source>Correction</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CorrectionHostPanel</name>
    <message>
        <source>Connect the laser profiler, then press a correction: Scan contour, Register contour, put the two areas on flat parts and Confirm.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scene tilt (°):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Block step (mm):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the conveyor at the block</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tilt correction factor:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Height correction factor:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tilt correction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Height correction</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CorrectionTool</name>
    <message>
        <source>High Correction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tilt Correction</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CorrectionWidget</name>
    <message>
        <source>Scan contour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Register contour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calculation area 1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left(mm):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right(mm):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calculation area 2:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current correction factor:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure value:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Correction value:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Correction factor:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No valid data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure height:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure angle:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Correction height:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Correction angle:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CrossConfigWidget</name>
    <message>
        <source>Width</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Center</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Window coordinates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Image coordinates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Position X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Position Y</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DemoWindow</name>
    <message>
        <source>Pane %1 selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tick a camera to connect it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Devices</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Layout</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Push frame to current pane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows a host-made frame in the selected pane (switched to the 2D view)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel read-out on the image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>laser profiler</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>area scan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is in pane %2, which layout 1 does not show: choose layout 1x2 or 2x2, or drag the camera from the list onto the view</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is shown in pane %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RGB: %1, %2, %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pane %1  X: %2  Y: %3  %4  Zoom: %5%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No pane selected: the frame goes to pane 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Host frame %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pane %1: acquisition started</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pane %1: acquisition stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NuvViewer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current pane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save current frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1:1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About NuvViewer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pane %1 cannot do that now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About NuvViewer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NuvViewer %1

Shows, records and saves the images of area-scan cameras and laser profilers, and opens saved frames again.

Licensed under the Apache License 2.0.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pane %1 shows no picture to copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture of pane %1 copied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open a saved frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every pane shows a camera: release one to open %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is too large to show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 opened in pane %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DisplayRangeWidget</name>
    <message>
        <source>Display range</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic once</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic, every frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fixed minimum and maximum</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Percentiles, every frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low percentile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High percentile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Above 1 brightens the dark part of the range</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixels at or above the maximum are shown in this colour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mark saturated</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saturation colour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take the range from the next frame and keep it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto once</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GreyHistogramDialog</name>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GreyHistogramTool</name>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GreyHistogramWidget</name>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Red</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Column Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ROI Shape</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Local ROI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Global ROI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Width</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Height</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure Position</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Center X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Center Y</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Position X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Position Y</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Min grey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Max grey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Average grey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Std. deviation</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GridConfigWidget</name>
    <message>
        <source>Line width</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line spacing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line color</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HeightColourBar</name>
    <message>
        <source>Z (mm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grey</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistogramPlot</name>
    <message>
        <source>X-axis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Column</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Gray: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Red: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Green: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   Blue: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistogramSubFrame</name>
    <message>
        <source>Enlarge</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Image2DWnd</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Cross</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1:1 Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Display range</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Image3DWnd</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contour Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2D Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2D RangeImage Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grey Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3D Rendering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1:1 Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (stop the acquisition to change it)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageMultiSaveInfoWidget</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Images</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cache usage rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Processed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Discard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>finishing %1 frames</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageWnd</name>
    <message>
        <source>Frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enlarge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore Layout</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageWndLabelView</name>
    <message>
        <source>invalid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X: %1  Y: %2  Z: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X: %1  Y: %2  Value: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no data</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MeasureLengthDialog</name>
    <message>
        <source>Measure Length</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MeasureLengthWidget</name>
    <message>
        <source>One Pixel Length:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel Start Point:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel Stop Point:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Horizontal Length:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vertical Length:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cartesian Length:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter a pixel length greater than 0, for example 0.05. Still measuring with %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Nuv3DGraphics</name>
    <message>
        <source>%1 rejected (error %2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Nuv3DView</name>
    <message>
        <source>X (mm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Y (mm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Z (mm)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Nuv3DWindow</name>
    <message>
        <source>3D display unavailable: OpenGL could not be initialised</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show all points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orthographic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch between perspective and orthographic projection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Top</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Front</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Side</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View from this side</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Point size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Point size in pixels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Height colours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Colour the points by height instead of their own colours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit to %1 points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orthographic projection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Perspective projection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rows %1 to %2 appended, %3 points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 points; 1 line in %2 shown to keep up with the scan</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OverlayColor</name>
    <message>
        <source>Choose color</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PaneSaveCommands</name>
    <message>
        <source>Dir is not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create dir failed!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disk path error, please reselect.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disk is full, please reselect.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: no valid data)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>I know</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: not start grab)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording failure, current frame rate is zero.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save video failed. (Error cause: no valid data)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture saving failure!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV(*.csv);;BIN(*.bin);;PCD(*.pcd);;SRT(*.srt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif);;SRT(*.srt);;PCD(*.pcd);;PLY(*.ply)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>;;CSV(*.csv);;BIN(*.bin);;OBJ(*.obj);;ECD(*.ecd);;JXR(*.jxr)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This sensor measures 32-bit heights, which JXR cannot hold. Choose another range height format (TIF keeps all 32 bits).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2 frames saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 discarded: the disk could not keep up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 failed: they could not be written, see the log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No file manager is available to open %1. Copy the path to the clipboard instead?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 frame saved to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 frames saved to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recordings cannot be saved as video on this system: its OpenCV has no FFmpeg video writer for FFV1. Choose a folder of frames as the recording format.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the recording stopped at the first frame it could not write</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProfilePlot</name>
    <message>
        <source>Left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SaveSettingsPanel</name>
    <message>
        <source>Save folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name files automatically</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Naming rule:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prefix, time and number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prefix and time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prefix and number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prefix:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pictures:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profile heights:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profile CSV as x,z pairs (mm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save profile brightness (CSV)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scan heights:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scan brightness:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frame limit:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Queue size:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name recordings automatically</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recordings:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder of frames</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lossless video (FFV1, .mkv)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SavedFileReader</name>
    <message>
        <source>no PCD header</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the PCD header is incomplete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PCD data stored as &quot;%1&quot; is not supported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the coordinates are not floating point</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the points have no x, y and z</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file ends before its last point</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no PLY header</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a vertex property of this PLY is not supported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the PLY has no vertices</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PLY data stored as &quot;%1&quot; is not supported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved frames (*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.pcd *.ply *.srt *.ecd *.mri);;Pictures (*.bmp *.png *.jpg *.jpeg *.tif *.tiff);;Range images and point clouds (*.tif *.tiff *.srt *.ecd *.mri *.pcd *.ply);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no such file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a picture this application reads</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its pixel format is not supported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its samples cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it holds no valid point</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ScanAxis</name>
    <message>
        <source>X (mm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Y (mm)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StreamHealthMonitor</name>
    <message>
        <source>%1 fps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lost %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dropped %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Packets resent %1, missing %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frames shown per second, frames lost on the camera&apos;s transport and frames the viewer received but could not show, since the grab started; on GigE Vision also the packets the camera resent and those that never arrived</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ZMKImageView</name>
    <message>
        <source>Zoom: %1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X: %1  Y: %2  Value: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X: %1  Y: %2  RGB: %3, %4, %5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X: %1  Y: %2  no data</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
